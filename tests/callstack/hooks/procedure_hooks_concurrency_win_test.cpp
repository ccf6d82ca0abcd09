// Threads inside a hooked routine while another thread unhooks it: a thread
// that entered the new routine before the unhook must still reach the old
// behaviour through the trampoline afterwards.
#include "crashreport/callstack/hooks/procedure_hooks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "crashreport/callstack/hooks/hooks_shutdown.h"
#include "tests/callstack/hooks/executable_code_win.h"
#include "tests/support/hex_bytes.h"

namespace {

using namespace tarvex;
using namespace tarvex::testsupport;

using Routine = int(__cdecl*)(int);

constexpr char kAddOne[] = "8B 44 24 04 83 C0 01 C3";  // mov eax, [esp+4]; add eax, 1; ret
constexpr DWORD kGenerousWaitMs = 60000;                  // emulated runs are slow; a hang is the fault

std::atomic<Routine> g_old{nullptr};

// Waits for `done` to become true, giving up after kGenerousWaitMs.
bool WaitUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousWaitMs);
  while (!done())
    if (std::chrono::steady_clock::now() > deadline) return false;
    else SwitchToThread();
  return true;
}

// A manual-reset event closed when the test ends.
struct Event {
  HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ~Event() { CloseHandle(handle); }
};

Event* g_entered;
Event* g_release;

// Announces itself, then waits until the test lets it go on to the old behaviour.
int __cdecl HoldThenCallOld(int value) {
  SetEvent(g_entered->handle);
  WaitForSingleObject(g_release->handle, kGenerousWaitMs);
  return g_old.load()(value) + 1000;
}

struct UndoCase {
  const char* what;
  void (*undo)(void* target);
};

class UndoWhileInside : public testing::TestWithParam<UndoCase> {};

TEST_P(UndoWhileInside, AThreadInsideTheNewRoutineStillReachesTheOldBehaviour) {
  ExecutableCode routine(Hex(kAddOne));
  const std::vector<uint8_t> before = routine.Bytes();
  Event entered, release;
  g_entered = &entered;
  g_release = &release;
  g_old = reinterpret_cast<Routine>(HookProcedure(routine.Start(), reinterpret_cast<void*>(&HoldThenCallOld), "Held"));

  int result = 0;
  std::thread caller([&] { result = routine.As<Routine>()(1); });
  ASSERT_EQ(WaitForSingleObject(entered.handle, kGenerousWaitMs), WAIT_OBJECT_0) << "the caller never entered";
  GetParam().undo(routine.Start());
  EXPECT_EQ(routine.Bytes(), before) << "unhooked while the caller is inside";
  SetEvent(release.handle);
  caller.join();

  EXPECT_EQ(result, 1002) << "new routine, then the old behaviour through the trampoline";
  EXPECT_EQ(routine.As<Routine>()(1), 2);
  EXPECT_EQ(g_old.load()(1), 2) << "the trampoline outlives its hook";
  EXPECT_EQ(ProtectionAt(reinterpret_cast<void*>(g_old.load())), DWORD(PAGE_EXECUTE_READ));
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoWhileInside, testing::Values(
    UndoCase{"UnhookProcedure", [](void* target) { UnhookProcedure(target); }},
    UndoCase{"HooksDone", [](void*) { HooksDone(); }}),
    [](const testing::TestParamInfo<UndoCase>& info) { return std::string(info.param.what); });

// The stress: two threads call the routine without pause while a third hooks
// and unhooks it.
constexpr int kCycles = 200;
constexpr int kWorkBeforeOld = 2000;  // loop turns in the new routine before it calls the old behaviour

std::atomic<unsigned> g_entries{0};

int __cdecl WorkThenCallOld(int value) {
  g_entries.fetch_add(1);
  // Work before the old behaviour, as a real new routine does: the unhook can come meanwhile.
  [[maybe_unused]] volatile int sink;
  for (int i = 0; i < kWorkBeforeOld; ++i) sink = i;
  return g_old.load()(value) + 1000;
}

TEST(ProcedureHookStress, CallersInTwoThreadsSurviveHookAndUnhookCyclesInAThird) {
  ExecutableCode routine(Hex(kAddOne));
  void* const target = routine.Start();
  void* const newRoutine = reinterpret_cast<void*>(&WorkThenCallOld);
  // One cycle before the callers start, so the new routine never finds no trampoline.
  g_old = reinterpret_cast<Routine>(HookProcedure(target, newRoutine, "Stressed"));
  UnhookProcedure(target);

  std::atomic<bool> stop{false};
  std::atomic<unsigned> oldResults{0}, newResults{0}, wrongResults{0};
  const auto callInALoop = [&] {
    const auto call = routine.As<Routine>();
    for (int value = 0; !stop; value = (value + 1) & 0xFFFF) {
      const int result = call(value);
      (result == value + 1 ? oldResults : result == value + 1001 ? newResults : wrongResults).fetch_add(1);
    }
  };
  std::thread first(callInALoop), second(callInALoop);

  // Each cycle waits until a caller has entered the new routine, unhooks at
  // once, then waits until a caller has run the routine as it was.
  int cycles = 0;
  for (bool callersKeptUp = true; callersKeptUp && cycles < kCycles;) {
    const unsigned entries = g_entries;
    g_old = reinterpret_cast<Routine>(HookProcedure(target, newRoutine, "Stressed"));
    callersKeptUp = WaitUntil([&] { return g_entries != entries; });
    const unsigned plainCalls = oldResults;
    UnhookProcedure(target);
    callersKeptUp = callersKeptUp && WaitUntil([&] { return oldResults != plainCalls; });
    if (callersKeptUp) ++cycles;
  }
  stop = true;
  first.join();
  second.join();

  EXPECT_EQ(cycles, kCycles) << "the callers stopped keeping up in cycle " << cycles;
  EXPECT_EQ(wrongResults, 0u);
  EXPECT_GE(newResults, unsigned(kCycles)) << "calls through the new routine";
  EXPECT_GE(oldResults, unsigned(kCycles)) << "calls while unhooked";
  EXPECT_EQ(routine.As<Routine>()(1), 2);
}

}  // namespace
