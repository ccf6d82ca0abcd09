// A thread stopped between two of the instructions a hook's jump covers: when
// it goes on, it must run the routine as it was (through the trampoline),
// never the middle of the jump. Each case places a suspended thread at an
// instruction boundary inside a routine, with the registers and stack that
// the instructions before it would have left, then hooks the routine and lets
// the thread go on. The routine returns into a stub that ends the thread with
// the routine's result as its exit code.
#include "crashreport/callstack/hooks/procedure_hooks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ostream>

#include "tests/callstack/hooks/executable_code_win.h"
#include "tests/support/hex_bytes.h"

namespace {

using namespace tarvex;
using namespace tarvex::testsupport;

using Routine = int(__cdecl*)(int);

constexpr DWORD kGenerousWaitMs = 60000;  // emulated runs are slow; a hang is the fault
constexpr int kArgument = 41;

// Both routines return their argument plus one.
constexpr char kAddOne[] = "8B 44 24 04 83 C0 01 C3";  // mov eax, [esp+4]; add eax, 1; ret
constexpr char kFramed[] =
    "55 89 E5 83 EC 08"  // push ebp; mov ebp, esp; sub esp, 8
    " 8B 45 08 83 C0 01"  // mov eax, [ebp+8]; add eax, 1
    " 89 EC 5D C3";       // mov esp, ebp; pop ebp; ret

// What the instructions before the stop have done to the entry state
// (ESP at the return address, the argument above it).
enum class Done { kNothing, kLoadedArgument, kPushedFrame, kSetFrame };

struct StopCase {
  const char* what;
  const char* code;
  uint32_t offset;  // an instruction boundary inside the first 5 bytes
  Done done;
  int expected;     // the thread's result: through the new routine only at offset 0
};
void PrintTo(const StopCase& c, std::ostream* out) { *out << c.what; }

Routine g_previous = nullptr;
int __cdecl AddThousand(int value) { return g_previous(value) + 1000; }

std::atomic<bool> g_spinning{false};
DWORD WINAPI Spin(void*) {
  g_spinning = true;
  for (;;) YieldProcessor();  // taken over through its context; never returns
}

class ThreadStoppedInsideHookedCode : public testing::TestWithParam<StopCase> {};

TEST_P(ThreadStoppedInsideHookedCode, GoesOnWithTheRoutineAsItWas) {
  const StopCase& c = GetParam();
  ExecutableCode routine(Hex(c.code));
  // push eax; mov eax, ExitThread; call eax
  std::vector<uint8_t> finishCode = Hex("50 B8 00 00 00 00 FF D0");
  const auto exitThread = reinterpret_cast<uint32_t>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ExitThread"));
  std::memcpy(&finishCode[2], &exitThread, 4);
  ExecutableCode finish(finishCode);

  g_spinning = false;
  const HANDLE thread = CreateThread(nullptr, 0, &Spin, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  while (!g_spinning) SwitchToThread();
  ASSERT_NE(SuspendThread(thread), DWORD(-1));

  // The thread as it would be, stopped at the offset, called with kArgument
  // from a caller that goes on at `finish`; the frame lies below its own stack.
  CONTEXT context{};
  context.ContextFlags = CONTEXT_FULL;
  ASSERT_TRUE(GetThreadContext(thread, &context));
  auto* stack = reinterpret_cast<uint32_t*>((context.Esp - 256) & ~uint32_t(15));
  const auto entry = uint32_t(reinterpret_cast<uintptr_t>(stack)) + 4;  // ESP at the routine's entry
  stack[1] = uint32_t(reinterpret_cast<uintptr_t>(finish.Start()));
  stack[2] = kArgument;
  context.Esp = entry;
  if (c.done == Done::kLoadedArgument) context.Eax = kArgument;
  if (c.done == Done::kPushedFrame || c.done == Done::kSetFrame) {
    stack[0] = context.Ebp;
    context.Esp = entry - 4;
  }
  if (c.done == Done::kSetFrame) context.Ebp = context.Esp;
  context.Eip = uint32_t(reinterpret_cast<uintptr_t>(routine.Start())) + c.offset;
  ASSERT_TRUE(SetThreadContext(thread, &context));

  g_previous = reinterpret_cast<Routine>(HookProcedure(routine.Start(), reinterpret_cast<void*>(&AddThousand), "Stopped"));
  ResumeThread(thread);
  ASSERT_EQ(WaitForSingleObject(thread, kGenerousWaitMs), DWORD(WAIT_OBJECT_0)) << "the thread never finished";
  DWORD result = 0;
  GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  EXPECT_EQ(int(result), c.expected);
  EXPECT_EQ(routine.As<Routine>()(1), 1002) << "the hook itself is in place";
  UnhookProcedure(routine.Start());
}

INSTANTIATE_TEST_SUITE_P(Stops, ThreadStoppedInsideHookedCode, testing::Values(
    StopCase{"AtTheEntry", kAddOne, 0, Done::kNothing, kArgument + 1001},
    StopCase{"AfterTheLoad", kAddOne, 4, Done::kLoadedArgument, kArgument + 1},
    StopCase{"AfterPushEbp", kFramed, 1, Done::kPushedFrame, kArgument + 1},
    StopCase{"AfterMovEbpEsp", kFramed, 3, Done::kSetFrame, kArgument + 1}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.what); });

}  // namespace
