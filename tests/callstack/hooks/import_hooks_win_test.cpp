#include "crashreport/callstack/hooks/import_hooks.h"

#include <gtest/gtest.h>

#include <cstring>

#include "crashreport/callstack/hooks/hook_errors.h"
#include "tests/callstack/hooks/executable_code_win.h"
#include "tests/callstack/hooks/synthetic_image.h"

namespace {

using namespace tarvex;
using namespace tarvex::testsupport;

DWORD WINAPI FakeProcessId() { return 0x1234; }

void* Kernel32Routine(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
}

void* const kFake = reinterpret_cast<void*>(&FakeProcessId);

// A call through the import table each time: the compiler may otherwise keep
// the table entry it loaded once in a register.
[[gnu::noipa]] DWORD CurrentProcessId() { return GetCurrentProcessId(); }

// This test program imports GetCurrentProcessId from kernel32 (CurrentProcessId calls it).
TEST(ImportHooks, RedirectsTheTestProgramsKernel32ImportAndUnhookingRestoresIt) {
  void* const real = Kernel32Routine("GetCurrentProcessId");
  const DWORD pid = CurrentProcessId();
  HMODULE const self = GetModuleHandleA(nullptr);

  EXPECT_EQ(HookImport(self, "KERNEL32.DLL", real, false, false, "kernel32.GetCurrentProcessId", kFake), real);
  EXPECT_EQ(CurrentProcessId(), 0x1234u);
  UnhookImport(self, "kernel32.dll", kFake);
  EXPECT_EQ(CurrentProcessId(), pid);
  UnhookImport(self, "kernel32.dll", kFake);  // nothing recorded any more: nothing happens
  EXPECT_EQ(CurrentProcessId(), pid);
}

TEST(ImportHooks, NoFailTurnsWhatCannotBeHookedIntoANullResult) {
  HMODULE const self = GetModuleHandleA(nullptr);
  void* const notImported = Kernel32Routine("Beep");
  EXPECT_EQ(HookImport(self, "kernel32.dll", notImported, false, true, "kernel32.Beep", kFake), nullptr);
  EXPECT_EQ(HookImport(self, "nosuchmodule.dll", notImported, false, true, "nosuchmodule.Beep", kFake), nullptr);
  try {
    HookImport(self, "kernel32.dll", notImported, false, false, "kernel32.Beep", kFake);
    FAIL() << "no exception";
  } catch (const EHookingError& e) {
    EXPECT_STREQ(e.what(), "Cannot hook the procedure \"kernel32.Beep\".");
  }
}

// A synthetic image in read-only memory stands in for a module.
class SyntheticModule {
 public:
  explicit SyntheticModule(const std::vector<SyntheticImport>& imports) : image_(BuildSyntheticImage(imports)) {
    page_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, image_.bytes.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::memcpy(page_, image_.bytes.data(), image_.bytes.size());
    DWORD previous;
    VirtualProtect(page_, image_.bytes.size(), PAGE_READONLY, &previous);
  }
  ~SyntheticModule() { VirtualFree(page_, 0, MEM_RELEASE); }

  void* Base() const { return page_; }
  uint32_t Entry(size_t import, size_t index) const {
    uint32_t value;
    std::memcpy(&value, page_ + image_.tables[import][index], 4);
    return value;
  }

 private:
  SyntheticImage image_;
  uint8_t* page_;
};

TEST(ImportHooks, MissingImportDirectoryRaisesUnlessNoFail) {
  SyntheticModule module({});
  EXPECT_EQ(HookImport(module.Base(), "kernel32.dll", kFake, false, true, "kernel32.X", kFake), nullptr);
  EXPECT_THROW(HookImport(module.Base(), "kernel32.dll", kFake, false, false, "kernel32.X", kFake), EHookingError);
  ExecutableCode notAnImage;
  EXPECT_THROW(HookImport(notAnImage.Start(), "kernel32.dll", kFake, false, false, "kernel32.X", kFake),
               EHookingError);
}

TEST(ImportHooks, ReplacesEveryMatchingEntryInReadOnlyTablesAndUndoesAll) {
  const uint32_t oldRoutine = 0x7C801234, other = 0x7C805678;
  SyntheticModule module({{"kernel32.dll", {oldRoutine, other, oldRoutine}}, {"user32.dll", {oldRoutine}}});
  void* const old = reinterpret_cast<void*>(uintptr_t(oldRoutine));
  const uint32_t fake = uint32_t(uintptr_t(kFake));

  EXPECT_EQ(HookImport(module.Base(), "kernel32.dll", old, false, false, "kernel32.Old", kFake), old);
  EXPECT_EQ(module.Entry(0, 0), fake);
  EXPECT_EQ(module.Entry(0, 1), other);
  EXPECT_EQ(module.Entry(0, 2), fake);
  EXPECT_EQ(module.Entry(1, 0), oldRoutine) << "another module's descriptor";
  EXPECT_EQ(ProtectionAt(module.Base()), DWORD(PAGE_READONLY));

  UnhookAllImports();
  EXPECT_EQ(module.Entry(0, 0), oldRoutine);
  EXPECT_EQ(module.Entry(0, 2), oldRoutine);

  // Without a record, undoing leaves the entries alone.
  HookImport(module.Base(), "kernel32.dll", old, true, false, "kernel32.Old", kFake);
  UnhookAllImports();
  EXPECT_EQ(module.Entry(0, 0), fake);
}

TEST(ImportHooks, HookImportInModulesResolvesTheRoutineAndSkipsModulesNotLoaded) {
  char path[MAX_PATH];
  ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  const std::string self = std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path;
  const DWORD pid = CurrentProcessId();

  void* previous = nullptr;
  EXPECT_TRUE(HookImportInModules({"nosuchmodule.dll", self}, "kernel32.dll", false, previous, kFake,
                                  "GetCurrentProcessId"));
  EXPECT_EQ(previous, Kernel32Routine("GetCurrentProcessId"));
  EXPECT_EQ(CurrentProcessId(), 0x1234u);
  UnhookImport(GetModuleHandleA(nullptr), "kernel32.dll", kFake);
  EXPECT_EQ(CurrentProcessId(), pid);

  try {
    HookImportInModules({self}, "kernel32.dll", false, previous, kFake, "NoSuchRoutine");
    FAIL() << "no exception";
  } catch (const EHookingError& e) {
    EXPECT_STREQ(e.what(), "Cannot hook the procedure \"kernel32.dll.NoSuchRoutine\".");
  }
  EXPECT_FALSE(HookImportInModules({self}, "kernel32.dll", true, previous, kFake, "NoSuchRoutine"));
  EXPECT_EQ(previous, nullptr);
  EXPECT_FALSE(HookImportInModules({"nosuchmodule.dll"}, "kernel32.dll", false, previous, kFake,
                                   "GetCurrentProcessId"));
}

}  // namespace
