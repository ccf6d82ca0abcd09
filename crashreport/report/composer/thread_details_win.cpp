#include <windows.h>

#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/report/composer/thread_details.h"

namespace tarvex {

ThreadLookup ThisProcessThreadLookup(uint32_t mainThreadID) {
  ThreadLookup lookup;
  lookup.threads = &ThreadsList();
  lookup.mainThreadID = mainThreadID;
  lookup.readPriority = [](uint32_t handle) -> std::optional<int32_t> {
    const int priority = GetThreadPriority(reinterpret_cast<HANDLE>(uintptr_t(handle)));
    if (priority == THREAD_PRIORITY_ERROR_RETURN) return std::nullopt;
    return priority;
  };
  return lookup;
}

}  // namespace tarvex
