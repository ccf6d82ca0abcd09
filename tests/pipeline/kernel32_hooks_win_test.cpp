// The kernel32 hooks stand in the real import table of this program and
// leave it again at uninstall; threads started through them run inside the
// thread start wrapper and are listed.
#include "crashreport/pipeline/interception/kernel32_hooks_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "crashreport/callstack/hooks/import_table.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/callstack/stack/threads_list.h"
#include "crashreport/pipeline/interception/thread_start_wrapper_win.h"

namespace {

// How many entries of this program's import table for kernel32.dll hold `routine`.
size_t SlotsHolding(const void* routine) {
  std::vector<uint32_t> slots;
  tarvex::FindImportSlots(tarvex::ThisProcessMemory(), reinterpret_cast<uint32_t>(GetModuleHandleA(nullptr)),
                          "kernel32.dll", reinterpret_cast<uint32_t>(routine), slots);
  return slots.size();
}

const void* Kernel32Routine(const char* name) {
  return reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
}

TEST(Kernel32Hooks, StandInTheImportTableUntilUninstalled) {
  std::vector<size_t> imported;
  for (const char* name : tarvex::kHookedKernel32Routines) imported.push_back(SlotsHolding(Kernel32Routine(name)));
  EXPECT_GT(imported[3], 0u) << "this program imports CreateThread";
  ASSERT_TRUE(tarvex::InstallKernel32Hooks());
  for (size_t i = 0; i < imported.size(); ++i) {
    const char* name = tarvex::kHookedKernel32Routines[i];
    EXPECT_EQ(SlotsHolding(Kernel32Routine(name)), 0u) << name;
    EXPECT_EQ(SlotsHolding(tarvex::Kernel32Replacement(name)), imported[i]) << name;
  }
  tarvex::UninstallKernel32Hooks();
  for (size_t i = 0; i < imported.size(); ++i) {
    const char* name = tarvex::kHookedKernel32Routines[i];
    EXPECT_EQ(SlotsHolding(Kernel32Routine(name)), imported[i]) << name;
    EXPECT_EQ(SlotsHolding(tarvex::Kernel32Replacement(name)), 0u) << name;
  }
}

struct ThreadView {
  bool wrapped = false;
  bool listed = false;
};

DWORD WINAPI LookAtMyself(void* view) {
  auto& seen = *static_cast<ThreadView*>(view);
  seen.wrapped = tarvex::InThreadStartWrapper();
  tarvex::TTarvexThreadsList& list = tarvex::ThreadsList();
  tarvex::ThreadsReadLock lock(list);
  const int index = list.IndexOfThreadID(GetCurrentThreadId());
  seen.listed = index >= 0 && list[index].ThreadProc == reinterpret_cast<void*>(LookAtMyself) &&
                list[index].StackTop != 0;
  return 7;
}

ThreadView RunThread(DWORD& exitCode, DWORD& threadId) {
  ThreadView view;
  const HANDLE thread = CreateThread(nullptr, 0, LookAtMyself, &view, 0, &threadId);
  EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  GetExitCodeThread(thread, &exitCode);
  CloseHandle(thread);
  return view;
}

bool Listed(DWORD threadId) {
  tarvex::TTarvexThreadsList& list = tarvex::ThreadsList();
  tarvex::ThreadsReadLock lock(list);
  return list.IndexOfThreadID(threadId) >= 0;
}

TEST(Kernel32Hooks, ThreadsRunInsideTheWrapperAndAreListedWhileTheyRun) {
  ASSERT_TRUE(tarvex::InstallKernel32Hooks());
  DWORD exitCode = 0, threadId = 0;
  const ThreadView hooked = RunThread(exitCode, threadId);
  tarvex::UninstallKernel32Hooks();
  EXPECT_TRUE(hooked.wrapped);
  EXPECT_TRUE(hooked.listed);
  EXPECT_EQ(exitCode, 7u) << "the body's result is the thread's";
  EXPECT_FALSE(Listed(threadId)) << "an ended thread leaves the list";

  const ThreadView plain = RunThread(exitCode, threadId);
  EXPECT_FALSE(plain.wrapped) << "uninstalled";
  EXPECT_FALSE(plain.listed);
}

}  // namespace
