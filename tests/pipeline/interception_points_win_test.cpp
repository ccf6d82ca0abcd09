// Installing the interception points patches the process; uninstalling
// leaves it as it was.
#include "crashreport/pipeline/interception/interception_points_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <exception>
#include <vector>

#include "crashreport/callstack/hooks/import_table.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "gui/application.h"
#include "tests/pipeline/installed_target_win.h"

namespace {

struct Patchable {
  void* handlerSlot;
  void* showSlot;
  size_t createThreadImports;  // import-table entries holding kernel32's CreateThread
  LPTOP_LEVEL_EXCEPTION_FILTER filter;
  std::terminate_handler terminateHandler;
  friend bool operator==(const Patchable&, const Patchable&) = default;
};

Patchable Look() {
  void** const table = *reinterpret_cast<void***>(&rtl::gui::TheApplication());
  std::vector<uint32_t> slots;
  const auto createThread = reinterpret_cast<uint32_t>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateThread")));
  tarvex::FindImportSlots(tarvex::ThisProcessMemory(), reinterpret_cast<uint32_t>(GetModuleHandleA(nullptr)),
                          "kernel32.dll", createThread, slots);
  const LPTOP_LEVEL_EXCEPTION_FILTER filter = SetUnhandledExceptionFilter(nullptr);
  SetUnhandledExceptionFilter(filter);
  return {table[rtl::gui::Application::kHandleExceptionSlot], table[rtl::gui::Application::kShowExceptionSlot],
          slots.size(), filter, std::get_terminate()};
}

TEST(InterceptionPoints, InstallPatchesTheProcessAndUninstallLeavesItAsItWas) {
  const Patchable before = Look();
  ASSERT_GT(before.createThreadImports, 0u);
  tarvex::testing::Keeper keeper;
  tarvex::InstallInterceptionPoints(keeper, tarvex::TFrontDoorState{true});
  const Patchable installed = Look();
  tarvex::UninstallInterceptionPoints();
  EXPECT_NE(installed.handlerSlot, before.handlerSlot);
  EXPECT_NE(installed.showSlot, before.showSlot);
  EXPECT_EQ(installed.createThreadImports, 0u);
  EXPECT_NE(installed.filter, before.filter);
  EXPECT_NE(installed.terminateHandler, before.terminateHandler);
  EXPECT_TRUE(Look() == before);
  EXPECT_EQ(tarvex::InterceptionState(), nullptr);
}

}  // namespace
