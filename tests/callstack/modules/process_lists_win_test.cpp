// The modules and processes lists of the live system under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/callstack/modules/processes_win.h"
#include "crashreport/callstack/modules/module_texts.h"
#include "crashreport/base/util/loaded_modules_win.h"

namespace {

using namespace tarvex;

uint32_t HandleOf(const char* module) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetModuleHandleA(module)));
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

std::string ProgramPath() {
  char path[MAX_PATH];
  return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

class ModulesListTest : public ::testing::TestWithParam<ModuleEnumeration> {};

TEST_P(ModulesListTest, HoldsTheProgramAndTheSystemLibrariesWithVersions) {
  ModulesList().Clear();
  RefreshModulesList(GetParam());
  const TTarvexModulesList& list = ModulesList();
  for (int i = 1; i < list.Count(); ++i) EXPECT_LT(list[i - 1].Handle, list[i].Handle);
  // Every record names a loaded module: not the enumeration's own library,
  // which is unloaded again before the records are made.
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(ModuleHandleOf(list[i].Handle), list[i].Handle) << list[i].FileName;
  for (int i = 0; i < list.Count(); ++i) EXPECT_FALSE(list[i].FileName.empty()) << std::hex << list[i].Handle;
  const struct {
    const char* name;
    bool versioned;
  } expected[] = {{nullptr, false}, {"kernel32.dll", true}, {"ntdll.dll", true}};
  for (const auto& e : expected) {
    const int index = list.IndexOfHandle(HandleOf(e.name));
    ASSERT_GE(index, 0) << (e.name ? e.name : "program");
    const TTarvexModuleInfo& module = list[index];
    EXPECT_TRUE(EndsWithNoCase(module.FileName, e.name ? e.name : "process_lists_test.exe")) << module.FileName;
    EXPECT_GT(module.FileSize, 0u) << module.FileName;
    EXPECT_GT(module.FileDate, 40000.0) << module.FileName;  // after 2009
    EXPECT_EQ(module.ModuleKind, mkUnknown) << "a refresh loads no debug information";
    if (e.versioned) {
      EXPECT_FALSE(module.Version.empty()) << module.FileName;
      EXPECT_NE(module.Version, "0.0.0.0");
      EXPECT_EQ(std::count(module.Version.begin(), module.Version.end(), '.'), 3) << module.Version;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothEnumerations, ModulesListTest,
                         ::testing::Values(ModuleEnumeration::ProcessStatus, ModuleEnumeration::ToolHelp));

TEST(ModulesList, FindModuleInfoBuildsTheFullRecordOnce) {
  ModulesList().Clear();
  RefreshModulesList();
  const int count = ModulesList().Count();
  const auto kernelCode = reinterpret_cast<uintptr_t>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep"));
  TTarvexModuleInfo* kernel = FindModuleInfo(static_cast<uint32_t>(kernelCode));
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(kernel->Handle, HandleOf("kernel32.dll"));
  EXPECT_EQ(kernel->ModuleKind, mkLibrary);
  EXPECT_EQ(FindModuleInfo(static_cast<uint32_t>(kernelCode) + 1), kernel);
  EXPECT_EQ(ModulesList().Count(), count);  // rebuilt in place of the refresh's record, not added twice

  TTarvexModuleInfo* program = FindModuleInfo(HandleOf(nullptr) + 0x1000);
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program->ModuleKind, mkExecutable);
  EXPECT_EQ(program->FileName, ProgramPath());

  EXPECT_EQ(FindModuleInfo(0x10), nullptr);
  RefreshModulesList();  // keeps the full records
  EXPECT_EQ(ModulesList()[ModulesList().IndexOfHandle(kernel->Handle)].ModuleKind, mkLibrary);
}

TEST(ModulesList, RefreshDropsUnloadedModules) {
  // A library of this build, beside the test, that nothing else here loads.
  const HMODULE library = LoadLibraryA("probe_library.dll");
  ASSERT_NE(library, nullptr);
  const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(library));
  RefreshModulesList();
  ASSERT_GE(ModulesList().IndexOfHandle(handle), 0);
  ASSERT_TRUE(FreeLibrary(library));
  ASSERT_EQ(GetModuleHandleA("probe_library.dll"), nullptr);
  RefreshModulesList();
  EXPECT_EQ(ModulesList().IndexOfHandle(handle), -1);
}

class ProcessesListTest : public ::testing::TestWithParam<ProcessEnumeration> {};

TEST_P(ProcessesListTest, HoldsThisProcess) {
  RefreshProcessesList(GetParam());
  const TTarvexProcessesList& list = ProcessesList();
  for (int i = 1; i < list.Count(); ++i) EXPECT_LT(list[i - 1].ProcessID, list[i].ProcessID);
  const int index = list.IndexOfProcessID(GetCurrentProcessId());
  ASSERT_GE(index, 0);
  const TTarvexProcessInfo& self = list[index];
  EXPECT_TRUE(EndsWithNoCase(self.FileName, "process_lists_test.exe")) << self.FileName;
  EXPECT_NE(self.FileName.find('\\'), std::string::npos) << "a full path: " << self.FileName;
  EXPECT_GE(self.Threads, 1u);
  if (GetParam() == ProcessEnumeration::ProcessIds || GetParam() == ProcessEnumeration::SnapshotWithDetails) {
    EXPECT_EQ(self.PriorityClass, GetPriorityClass(GetCurrentProcess()));
    EXPECT_GT(self.Memory, 0u);
  } else {
    // From the snapshot's base priority, which Wine reports as 2 for a normal process.
    EXPECT_FALSE(PriorityClassName(self.PriorityClass).empty()) << self.PriorityClass;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryEnumeration, ProcessesListTest,
                         ::testing::Values(ProcessEnumeration::Automatic, ProcessEnumeration::ProcessIds,
                                           ProcessEnumeration::SnapshotWithDetails,
                                           ProcessEnumeration::SnapshotOnly));

}  // namespace
