#include "crashreport/pipeline/threads/thread_registry_win.h"

#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/callstack/stack/threads_list.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/threads/stack_copy_win.h"

namespace tarvex {

namespace {

uint32_t AsHandle(HANDLE handle) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)); }

bool ListUntouchable() { return ThreadGuardSet(tgInThreadList); }

}  // namespace

void RegisterThread(HANDLE thread, DWORD threadId, void* threadProc, void* parameter) {
  if (ListUntouchable()) return;
  HANDLE own = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return;
  try {
    std::unique_ptr<TTarvexThreadInfo> entry = TTarvexThreadsList::NewEntry();
    entry->ThreadID = threadId;
    entry->Handle = AsHandle(own);
    entry->ThreadProc = threadProc;
    entry->Parameter = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parameter));
    TTarvexThreadsList& list = ThreadsList();
    ThreadsWriteLock lock(list);
    list.Add(std::move(entry));
  } catch (...) {
    CloseHandle(own);  // out of memory: the thread goes unlisted
  }
}

void NoteThreadResumed(HANDLE thread) {
  if (ListUntouchable() || ThreadGuardSet(tgInHandler)) return;
  const DWORD threadId = GetThreadId(thread);
  const uint32_t stackPointer = reinterpret_cast<uint32_t>(__builtin_frame_address(0));
  try {
    TTarvexThreadsList& list = ThreadsList();
    ThreadsWriteLock lock(list);
    const int index = list.IndexOfThreadID(threadId);
    if (index < 0) return;
    SaveResumerStack(list[index], GetCurrentThreadId(), stackPointer, CurrentStackBase(), ThisProcessMemory());
    list[index].Resumed = 1;
  } catch (...) {
    // Without memory for the copy the entry keeps no resumer stack.
  }
}

void NoteThreadStarted() {
  if (ListUntouchable()) return;
  TTarvexThreadsList& list = ThreadsList();
  ThreadsWriteLock lock(list);
  if (const int index = list.IndexOfThreadID(GetCurrentThreadId()); index >= 0)
    list[index].StackTop = CurrentStackBase();
}

void UnregisterCurrentThread() {
  if (ListUntouchable()) return;
  TTarvexThreadsList& list = ThreadsList();
  ThreadsWriteLock lock(list);
  if (const int index = list.IndexOfThreadID(GetCurrentThreadId()); index >= 0) {
    CloseHandle(reinterpret_cast<HANDLE>(uintptr_t(list[index].Handle)));
    list.Delete(index);
  }
}

}  // namespace tarvex
