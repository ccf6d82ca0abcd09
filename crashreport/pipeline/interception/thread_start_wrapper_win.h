// The thread start wrapper: the hooked CreateThread runs every thread body
// inside it. An exception that leaves the body ends the thread; the
// wrapper's catch-all is the point where it is reported with rkThreadWrapper
// (usually at the raise already, when the raise notification finds that this
// catch-all is the one that will catch it).
#pragma once

#include <windows.h>

namespace tarvex {

struct TThreadStart {
  LPTHREAD_START_ROUTINE Routine = nullptr;
  void* Parameter = nullptr;
};

// The thread routine given to the system: `start` is a TThreadStart made with
// new, which the wrapper frees. Keeps stack for the handling, notes the
// thread's stack in the threads list, runs the body, reports an exception
// that leaves it (exit code 1), and removes the thread from the list.
DWORD WINAPI ThreadStartWrapper(void* start);

// Whether the calling thread's body runs inside the wrapper: an exception
// that nothing in it handles ends only this thread (rkThreadWrapper).
bool InThreadStartWrapper();

}  // namespace tarvex
