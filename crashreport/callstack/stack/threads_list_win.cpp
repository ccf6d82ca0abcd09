#include <windows.h>

#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/callstack/stack/threads_list.h"

namespace tarvex {

void TTarvexThreadsList::RemoveCurrentThread() {
  if (const int index = IndexOfThreadID(GetCurrentThreadId()); index >= 0) Delete(index);
}

void TTarvexThreadsList::PurgeDeadThreads() {
  for (int i = Count() - 1; i >= 0; --i) {
    DWORD exitCode = 0;
    if (!GetExitCodeThread(reinterpret_cast<HANDLE>(uintptr_t((*this)[i].Handle)), &exitCode) ||
        exitCode != STILL_ACTIVE)
      Delete(i);
  }
}

TTarvexThreadsList& ThreadsList() {
  static TTarvexThreadsList list;
  return list;
}

}  // namespace tarvex
