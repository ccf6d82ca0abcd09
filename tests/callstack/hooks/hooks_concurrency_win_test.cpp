// Threads inside a hook while another thread undoes it: a thread that entered
// the new routine before the unhook must still reach the old behaviour
// afterwards, through the trampoline or the saved slot or import entry.
#include "crashreport/callstack/hooks/procedure_hooks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <ostream>
#include <thread>

#include "crashreport/callstack/hooks/hooks_shutdown.h"
#include "crashreport/callstack/hooks/import_hooks.h"
#include "crashreport/callstack/hooks/virtual_slot_hooks.h"
#include "tests/callstack/hooks/executable_code_win.h"
#include "tests/support/hex_bytes.h"

// External linkage, so that calls go through the method table (see virtual_slot_hooks_win_test.cpp).
struct StressTestCounter {
  virtual int Next(int value) const { return value + 1; }
};

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
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    SwitchToThread();
  }
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
void PrintTo(const UndoCase& c, std::ostream* out) { *out << c.what; }

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
  EXPECT_EQ(WaitForSingleObject(entered.handle, kGenerousWaitMs), DWORD(WAIT_OBJECT_0)) << "the caller never entered";
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

// The stress: two threads call through what a hook patches, without pause,
// while a third hooks and unhooks it. Each new routine announces itself, works
// a little as a real one does (the unhook can come meanwhile), then calls the
// previous behaviour and adds 1000. Unhooked, a call returns value + 1.
constexpr int kCycles = 200;
constexpr int kWorkBeforeOld = 2000;  // loop turns in the new routine before it calls the old behaviour

std::atomic<unsigned> g_entries{0};

template <typename CallPrevious>
int WorkThen(CallPrevious callPrevious) {
  g_entries.fetch_add(1);
  [[maybe_unused]] volatile int sink;
  for (int i = 0; i < kWorkBeforeOld; ++i) sink = i;
  return callPrevious() + 1000;
}

// A procedure hook: the previous behaviour through the trampoline.
ExecutableCode& AddOneRoutine() {
  static ExecutableCode routine(Hex(kAddOne));
  return routine;
}
int __cdecl ProcedureHook(int value) {
  return WorkThen([&] { return g_old.load()(value); });
}

// A virtual-slot hook: the previous method saved from the slot.
using NextRoutine = int(__thiscall*)(const void*, int);
std::atomic<NextRoutine> g_previousNext{nullptr};
int __thiscall SlotHook(const void* self, int value) {
  return WorkThen([&] { return g_previousNext.load()(self, value); });
}
const StressTestCounter g_counter;
[[gnu::noipa]] int CallNext(const StressTestCounter& counter, int value) { return counter.Next(value); }
void** CounterTable() { return *reinterpret_cast<void** const*>(&g_counter); }

// An import hook of this program's kernel32 import of MulDiv: the previous
// routine saved from the import address table.
using MulDivRoutine = int(WINAPI*)(int, int, int);
std::atomic<MulDivRoutine> g_previousMulDiv{nullptr};
int WINAPI ImportHook(int number, int numerator, int denominator) {
  return WorkThen([&] { return g_previousMulDiv.load()(number, numerator, denominator); });
}
[[gnu::noipa]] int CallMulDiv(int value) { return MulDiv(value, 1, 1) + 1; }
void* Kernel32MulDiv() { return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MulDiv")); }

struct StressCase {
  const char* what;
  void (*hook)();  // also publishes the previous behaviour for the new routine
  void (*unhook)();
  int (*call)(int);
};
void PrintTo(const StressCase& c, std::ostream* out) { *out << c.what; }

class HookStress : public testing::TestWithParam<StressCase> {};

TEST_P(HookStress, CallersInTwoThreadsSurviveHookAndUnhookCyclesInAThird) {
  const StressCase& c = GetParam();
  // One cycle before the callers start, so a new routine never finds no previous behaviour.
  c.hook();
  c.unhook();

  std::atomic<bool> stop{false};
  std::atomic<unsigned> oldResults{0}, newResults{0}, wrongResults{0};
  const auto callInALoop = [&] {
    for (int value = 0; !stop; value = (value + 1) & 0xFFFF) {
      const int result = c.call(value);
      (result == value + 1 ? oldResults : result == value + 1001 ? newResults : wrongResults).fetch_add(1);
    }
  };
  std::thread first(callInALoop), second(callInALoop);

  // Each cycle waits until a caller has entered the new routine, unhooks at
  // once, then waits until a caller has run the code as it was.
  int cycles = 0;
  for (bool callersKeptUp = true; callersKeptUp && cycles < kCycles;) {
    const unsigned entries = g_entries;
    c.hook();
    callersKeptUp = WaitUntil([&] { return g_entries != entries; });
    const unsigned plainCalls = oldResults;
    c.unhook();
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
  EXPECT_EQ(c.call(1), 2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, HookStress, testing::Values(
    StressCase{"Procedure",
               [] {
                 g_old = reinterpret_cast<Routine>(
                     HookProcedure(AddOneRoutine().Start(), reinterpret_cast<void*>(&ProcedureHook), "Stressed"));
               },
               [] { UnhookProcedure(AddOneRoutine().Start()); },
               [](int value) { return AddOneRoutine().As<Routine>()(value); }},
    StressCase{"VirtualSlot",
               [] {
                 g_previousNext =
                     reinterpret_cast<NextRoutine>(PatchVirtualSlot(CounterTable(), 0, reinterpret_cast<void*>(&SlotHook)));
               },
               [] { RestoreVirtualSlot(CounterTable(), 0); },
               [](int value) { return CallNext(g_counter, value); }},
    StressCase{"Import",
               [] {
                 g_previousMulDiv = reinterpret_cast<MulDivRoutine>(HookImport(GetModuleHandleA(nullptr), "kernel32.dll",
                     Kernel32MulDiv(), false, false, "kernel32.MulDiv", reinterpret_cast<void*>(&ImportHook)));
               },
               [] { UnhookImport(GetModuleHandleA(nullptr), "kernel32.dll", reinterpret_cast<void*>(&ImportHook)); },
               CallMulDiv}),
    [](const testing::TestParamInfo<StressCase>& info) { return std::string(info.param.what); });

}  // namespace
