// Module records of libraries loaded into the live process under Wine: their
// exports name addresses, forwarders lead to their targets, and the package
// resources decide the module kind. The probe libraries are built beside this
// test (probe_libraries/).
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "crashreport/callstack/stack/locate_address.h"
#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/callstack/stack/call_stack_context_win.h"

// An export of the program itself, which its record does not list.
extern "C" __declspec(dllexport) void ModuleRecordsProgramExport() {}

namespace {

using namespace tarvex;

uint32_t ToAddress(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
uint32_t ToAddress(FARPROC p) { return ToAddress(reinterpret_cast<const void*>(p)); }

// A probe library from beside the test program, loaded for the test's duration.
class ProbeLibrary {
 public:
  explicit ProbeLibrary(const char* name) {
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    folder.resize(folder.find_last_of('\\') + 1);
    module_ = LoadLibraryA((folder + name).c_str());
  }
  ~ProbeLibrary() {
    if (module_) FreeLibrary(module_);
  }
  ProbeLibrary(const ProbeLibrary&) = delete;
  ProbeLibrary& operator=(const ProbeLibrary&) = delete;
  HMODULE Module() const { return module_; }
  uint32_t Handle() const { return ToAddress(module_); }
  uint32_t Export(const char* name) const { return ToAddress(GetProcAddress(module_, name)); }

 private:
  HMODULE module_ = nullptr;
};

TTarvexStackItem Locate(uint32_t address) {
  TTarvexStackItem item;
  LocateAddress(ProcessCallStackContext(), address, GetCurrentThreadId(), item, false, 1);
  return item;
}

TEST(ModuleRecords, AnAddressInsideANamedExportIsNamedByIt) {
  ModulesList().Clear();
  const ProbeLibrary probe("probe_library.dll");
  ASSERT_NE(probe.Module(), nullptr);
  for (const char* name : {"ProbeSum", "ProbeScale"}) {
    SCOPED_TRACE(name);
    const TTarvexStackItem item = Locate(probe.Export(name) + 3);
    EXPECT_EQ(item.InfoLevel, ilProcedure);
    EXPECT_EQ(item.ProcedureName.str(), name);
    EXPECT_EQ(item.UnitName.str(), "");
    ASSERT_NE(item.ModuleInfo, nullptr);
    EXPECT_EQ(item.ModuleInfo->Handle, probe.Handle());
  }

  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const uint32_t sleep = ToAddress(GetProcAddress(kernel, "Sleep"));
  const TTarvexStackItem item = Locate(sleep + 1);
  EXPECT_EQ(item.InfoLevel, ilProcedure);
  // Names that share the address are equally right.
  EXPECT_EQ(ToAddress(GetProcAddress(kernel, item.ProcedureName.str().c_str())), sleep) << item.ProcedureName.str();
}

TEST(ModuleRecords, ExportsAreSortedWithForwardersResolvedAndTheProgramsOwnLeftOut) {
  ModulesList().Clear();
  const ProbeLibrary probe("probe_library.dll");
  ASSERT_NE(probe.Module(), nullptr);
  const TTarvexModuleInfo* record = FindModuleInfo(probe.Export("ProbeSum"));
  ASSERT_NE(record, nullptr);
  const TTarvexFunctionsList& functions = record->Functions;
  ASSERT_EQ(functions.size(), 3u);
  for (size_t i = 1; i < functions.size(); ++i) EXPECT_LE(functions[i - 1].Address, functions[i].Address);
  for (size_t i = 0; i < functions.size(); ++i) {
    SCOPED_TRACE(functions[i].Name);
    EXPECT_EQ(functions[i].Address, probe.Export(functions[i].Name.c_str()));
  }
  // The forwarder leads into the system library, outside the probe.
  const uint32_t sleep = probe.Export("ProbeSleep");
  EXPECT_EQ(sleep, ToAddress(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep")));
  EXPECT_NE(FindModuleInfo(sleep), record);

  ASSERT_NE(GetProcAddress(GetModuleHandleA(nullptr), "ModuleRecordsProgramExport"), nullptr);
  const TTarvexModuleInfo* program = FindModuleInfo(ToAddress(reinterpret_cast<void*>(&ModuleRecordsProgramExport)));
  ASSERT_NE(program, nullptr);
  EXPECT_TRUE(program->Functions.empty());
}

TEST(ModuleRecords, KindIsPackageOnlyWithBothPackageResources) {
  ModulesList().Clear();
  const struct {
    const char* library;
    TTarvexModuleKind kind;
  } cases[] = {
      {"probe_package.dll", mkPackage},
      {"probe_info_only.dll", mkLibrary},
      {"probe_library.dll", mkLibrary},
  };
  // All loaded at once: a library loaded where a freed one was would find its record.
  const ProbeLibrary probes[] = {ProbeLibrary(cases[0].library), ProbeLibrary(cases[1].library),
                                 ProbeLibrary(cases[2].library)};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    const ProbeLibrary& probe = probes[i];
    SCOPED_TRACE(c.library);
    ASSERT_NE(probe.Module(), nullptr);
    const TTarvexModuleInfo* record = FindModuleInfo(probe.Export("ProbeSum"));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Handle, probe.Handle());
    EXPECT_EQ(record->ModuleKind, c.kind);
  }
  const TTarvexModuleInfo* program = FindModuleInfo(ToAddress(reinterpret_cast<void*>(&ModuleRecordsProgramExport)));
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program->ModuleKind, mkExecutable);
}

}  // namespace
