// Keeping the threads list (crashreport/callstack/stack/threads_list.h) as
// threads are started, resumed and ended. Nothing happens while the calling
// thread holds the InThreadList guard.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tarvex {

// Adds a started thread: its own duplicate of `thread` is kept and closed when
// the entry goes.
void RegisterThread(HANDLE thread, DWORD threadId, void* threadProc, void* parameter);

// Records that the calling thread resumes `thread`: its stack is kept in the
// entry (the stack the new thread was started from). Skipped inside the handling.
void NoteThreadResumed(HANDLE thread);

// The calling thread, at its start: its stack's upper end.
void NoteThreadStarted();

// Removes the calling thread's entry (at its end).
void UnregisterCurrentThread();

}  // namespace tarvex
