// Module records built with debug information carry their module's options.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "crashreport/callstack/modules/module_options.h"
#include "crashreport/base/embedded_data/module_container_win.h"
#include "crashreport/callstack/modules/modules_win.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;

uint32_t HandleOf(HMODULE module) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)); }
uint32_t AddressOf(const void* code) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code)); }

std::string AssertionOfCurrentOptions() {
  try {
    CurrentTarvexLogOptions();
  } catch (const rtl::EAssertionFailed& failure) {
    return failure.Message();
  }
  return "no assertion";
}

TEST(ModuleOptionsWindows, CurrentOptionsNeedTheRunningModuleInTheList) {
  ModulesList().Clear();
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string name = std::string(path).substr(std::string(path).find_last_of('\\') + 1);
  EXPECT_EQ(AssertionOfCurrentOptions(),
            "\r\nCannot use 'CurrentTarvexLogOptions' function in module \"" + name +
                "\" without activate TarvexLog.\r\nTo activate TarvexLog use the new IDE "
                "\"Project/TarvexLog Options...\" menu.");

  TTarvexModuleInfo* program = FindModuleInfo(AddressOf(reinterpret_cast<const void*>(&AssertionOfCurrentOptions)));
  ASSERT_NE(program, nullptr);
  ASSERT_NE(program->Options, nullptr);
  EXPECT_EQ(program->Options->ModuleHandle(), HandleOf(GetModuleHandleA(nullptr)));
  EXPECT_EQ(program->Options->ModuleFileName(), path);
  EXPECT_EQ(&CurrentTarvexLogOptions(), program->Options.get());
  EXPECT_TRUE(program->Options->SameOptionsAs(TTarvexModuleOptions())) << "this program carries no data";
  ModulesList().Clear();
}

TEST(ModuleOptionsWindows, AnotherModuleTakesWhatItsReporterPublished) {
  ModulesList().Clear();
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  TTarvexModuleOptions published;
  published.SetMailServer("published.by.the.library");
  rtl::ByteWriter block;
  block.WriteU8(1);
  published.WriteToStream(block);
  ASSERT_TRUE(ProcessSharedBlocks().Publish(SharedOptionsName(GetCurrentProcessId(), HandleOf(kernel)), block.Bytes()));

  const auto* tickCount = reinterpret_cast<const void*>(GetProcAddress(kernel, "GetTickCount"));
  TTarvexModuleInfo* library = FindModuleInfo(AddressOf(tickCount));
  ASSERT_NE(library, nullptr);
  ASSERT_NE(library->Options, nullptr);
  EXPECT_EQ(library->Handle, HandleOf(kernel));
  EXPECT_EQ(library->Options->MailServer(), "published.by.the.library");
  ProcessSharedBlocks().Publish(SharedOptionsName(GetCurrentProcessId(), HandleOf(kernel)), {});
  ModulesList().Clear();
}

TEST(ModuleOptionsWindows, ContainerAppendedToTheModuleFile) {
  TTarvexModuleOptions options;
  options.SetMailRecipients("bugs@example.test");
  rtl::ByteWriter stream;
  options.WriteToStream(stream);
  EmbeddedData data;
  data.optionStream = stream.Take();
  const std::vector<uint8_t> image(5000, 0x90);
  const std::vector<uint8_t> file = AppendContainer(image, WriteContainer(data));

  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string name = std::string(folder) + "vx_appended_" + std::to_string(GetCurrentProcessId()) + ".dll";
  auto writeFile = [&](const std::vector<uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  };
  const uint32_t noResource = HandleOf(GetModuleHandleA("kernel32.dll"));

  writeFile(file);
  EXPECT_EQ(ReadModuleContainer(noResource, name), data);

  std::vector<uint8_t> damaged = file;
  damaged[damaged.size() - 8] = 0xFF;  // a length beyond the file
  damaged[damaged.size() - 5] = 0x7F;
  writeFile(damaged);
  EXPECT_FALSE(ReadModuleContainer(noResource, name));
  writeFile(image);  // no container: the tail is code
  EXPECT_FALSE(ReadModuleContainer(noResource, name));
  writeFile({1, 2, 3});
  EXPECT_FALSE(ReadModuleContainer(noResource, name));
  DeleteFileA(name.c_str());
  EXPECT_FALSE(ReadModuleContainer(noResource, name));
}

}  // namespace
