#include "crashreport/callstack/hooks/procedure_hooks.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ostream>
#include <string>

#include "crashreport/callstack/hooks/code_writer.h"
#include "crashreport/callstack/hooks/hook_errors.h"
#include "tests/callstack/hooks/executable_code_win.h"
#include "tests/support/hex_bytes.h"

namespace {

using namespace tarvex;
using namespace tarvex::testsupport;

using Routine = int(__cdecl*)(int);

Routine g_previous = nullptr;

// The new routine: the old behaviour through the trampoline, plus 1000.
int __cdecl AddThousand(int value) { return g_previous(value) + 1000; }

int __cdecl Helper41() { return 41; }

struct HookCase {
  const char* what;
  const char* code;  // a cdecl int(int) routine
  int helperCallAt;  // offset of an E8 whose displacement must reach Helper41, or -1
  int argument;
  int expected;      // what the routine returns when not hooked
};
void PrintTo(const HookCase& c, std::ostream* out) { *out << c.what; }

class ProcedureHookTable : public testing::TestWithParam<HookCase> {};

// Leaves no hook behind when a test stops early, since the code's page is freed.
struct UnhookAtExit {
  void* target;
  ~UnhookAtExit() { UnhookProcedure(target); }
};

TEST_P(ProcedureHookTable, HookedRoutineRunsTheNewOneWhichReachesTheOldThroughTheTrampoline) {
  const HookCase& c = GetParam();
  std::vector<uint8_t> bytes = Hex(c.code);
  ExecutableCode routine;
  if (c.helperCallAt >= 0) {
    const uint32_t rel = uint32_t(uintptr_t(&Helper41)) - uint32_t(uintptr_t(routine.Start() + c.helperCallAt + 5));
    std::memcpy(&bytes[c.helperCallAt + 1], &rel, 4);
  }
  routine.Load(bytes);
  const UnhookAtExit unhook{routine.Start()};
  const auto original = routine.As<Routine>();
  ASSERT_EQ(original(c.argument), c.expected) << "fixture";

  g_previous = reinterpret_cast<Routine>(HookProcedure(routine.Start(), reinterpret_cast<void*>(&AddThousand), c.what));
  ASSERT_NE(g_previous, nullptr);
  EXPECT_EQ(original(c.argument), c.expected + 1000);
  EXPECT_EQ(g_previous(c.argument), c.expected);
  EXPECT_EQ(routine.Start()[0], 0xE9);
  EXPECT_EQ(ProtectionAt(routine.Start()), DWORD(PAGE_EXECUTE_READ)) << "target page";
  EXPECT_EQ(ProtectionAt(reinterpret_cast<void*>(g_previous)), DWORD(PAGE_EXECUTE_READ)) << "trampoline page";

  UnhookProcedure(routine.Start());
  EXPECT_EQ(routine.Bytes(), bytes) << "original bytes restored exactly";
  EXPECT_EQ(original(c.argument), c.expected);
  EXPECT_EQ(g_previous(c.argument), c.expected) << "the trampoline outlives the hook";
  EXPECT_EQ(ProtectionAt(reinterpret_cast<void*>(g_previous)), DWORD(PAGE_EXECUTE_READ));
  EXPECT_EQ(HookProcedure(routine.Start(), reinterpret_cast<void*>(&AddThousand), c.what),
            reinterpret_cast<void*>(g_previous))
      << "hooked again, the routine gets its trampoline back";
}

INSTANTIATE_TEST_SUITE_P(Cases, ProcedureHookTable, testing::Values(
    HookCase{"plain", "8B 44 24 04 83 C0 01 C3", -1, 4, 5},
    HookCase{"short jump out of the first 5 bytes", "EB 05 CC CC CC CC CC B8 2A 00 00 00 C3", -1, 0, 42},
    HookCase{"jecxz taken", "8B 4C 24 04 E3 06 B8 01 00 00 00 C3 B8 02 00 00 00 C3", -1, 0, 2},
    HookCase{"jecxz not taken", "8B 4C 24 04 E3 06 B8 01 00 00 00 C3 B8 02 00 00 00 C3", -1, 5, 1},
    HookCase{"short jump inside the copy", "EB 01 90 B8 07 00 00 00 C3", -1, 0, 7},
    HookCase{"rel32 call first", "E8 00 00 00 00 83 C0 01 C3", 0, 0, 42},
    HookCase{"rel32 jcc", "31 C0 0F 84 06 00 00 00 B8 03 00 00 00 C3 B8 04 00 00 00 C3", -1, 0, 4}),
    [](const testing::TestParamInfo<HookCase>& info) {
      std::string name = info.param.what;
      for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(HookProcedure, HookingTwiceReturnsTheSameTrampolineAndEitherAddressUnhooks) {
  ExecutableCode routine(Hex("8B 44 24 04 83 C0 01 C3"));
  const UnhookAtExit unhook{routine.Start()};
  const std::vector<uint8_t> before = routine.Bytes();
  void* first = HookProcedure(routine.Start(), reinterpret_cast<void*>(&AddThousand), "Twice");
  void* second = HookProcedure(routine.Start(), reinterpret_cast<void*>(&Helper41), "Twice");
  EXPECT_EQ(first, second);
  UnhookProcedure(first);  // by the trampoline
  EXPECT_EQ(routine.Bytes(), before);
  UnhookProcedure(routine.Start());  // not hooked any more: nothing happens
  EXPECT_EQ(routine.Bytes(), before);
}

TEST(HookProcedure, TrampolinesArePackedAndSharedOnlyByTheSameTargetAndBytes) {
  const std::vector<uint8_t> addOne = Hex("8B 44 24 04 83 C0 01 C3");
  ExecutableCode first(addOne), second(addOne);
  const UnhookAtExit unhookFirst{first.Start()}, unhookSecond{second.Start()};
  void* const hook = reinterpret_cast<void*>(&Helper41);
  auto* const firstTrampoline = static_cast<uint8_t*>(HookProcedure(first.Start(), hook, "First"));
  auto* const secondTrampoline = static_cast<uint8_t*>(HookProcedure(second.Start(), hook, "Second"));
  EXPECT_EQ(secondTrampoline - firstTrampoline, 16) << "a 7-byte copy and its jump back take 16 bytes";
  UnhookProcedure(first.Start());
  UnhookProcedure(second.Start());

  // The same target with other first bytes: the old trampoline would run the old code.
  const std::vector<uint8_t> addTwo = Hex("8B 44 24 04 83 C0 02 C3");
  ASSERT_TRUE(WriteCode(first.Start(), addTwo.data(), addTwo.size()));
  const auto changed = reinterpret_cast<Routine>(HookProcedure(first.Start(), hook, "Changed"));
  EXPECT_NE(reinterpret_cast<uint8_t*>(changed), firstTrampoline);
  EXPECT_EQ(changed(1), 3);
  EXPECT_EQ(reinterpret_cast<Routine>(firstTrampoline)(1), 2) << "the earlier trampoline is left as it was";
}

TEST(HookProcedure, FollowsAnImportThunkToTheRealRoutine) {
  ExecutableCode routine(Hex("8B 44 24 04 83 C0 01 C3"));
  static void* pointer;
  pointer = routine.Start();
  std::vector<uint8_t> thunkBytes = Hex("FF 25 00 00 00 00 90 90");
  void* const pointerAddress = &pointer;
  std::memcpy(&thunkBytes[2], &pointerAddress, 4);
  ExecutableCode thunk(thunkBytes);
  const UnhookAtExit unhook{routine.Start()};

  g_previous = reinterpret_cast<Routine>(HookProcedure(thunk.Start(), reinterpret_cast<void*>(&AddThousand), "Thunk"));
  EXPECT_EQ(thunk.Bytes(), thunkBytes) << "the thunk itself is left alone";
  EXPECT_EQ(routine.Start()[0], 0xE9);
  EXPECT_EQ(thunk.As<Routine>()(1), 1002);
  UnhookProcedure(thunk.Start());
  EXPECT_EQ(routine.As<Routine>()(1), 2);
}

TEST(HookProcedure, FailuresRaiseAndLeaveTheTargetUntouched) {
  try {
    HookProcedure(nullptr, reinterpret_cast<void*>(&AddThousand), "Nothing");
    FAIL() << "no exception";
  } catch (const EProcNull& e) {
    EXPECT_STREQ(e.what(), "Cannot hook a null procedure (\"Nothing\").");
    EXPECT_TRUE(e.InheritsFrom("EHookError"));
  }

  // Three bytes of code before reserved memory: not enough whole instructions.
  const DWORD page = 4096;
  auto* block = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(block, nullptr);
  ASSERT_NE(VirtualAlloc(block, page, MEM_COMMIT, PAGE_READWRITE), nullptr);
  uint8_t* const tail = block + page - 3;
  std::memcpy(tail, "\x90\x90\x90", 3);
  DWORD previous;
  VirtualProtect(block, page, PAGE_EXECUTE_READ, &previous);
  try {
    HookProcedure(tail, reinterpret_cast<void*>(&AddThousand), "Tail");
    FAIL() << "no exception";
  } catch (const EHookingError& e) {
    EXPECT_STREQ(e.what(), "Cannot hook the procedure \"Tail\".");
  }
  EXPECT_EQ(std::vector<uint8_t>(tail, tail + 3), Hex("90 90 90"));
  EXPECT_EQ(ProtectionAt(tail), DWORD(PAGE_EXECUTE_READ));
  VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace
