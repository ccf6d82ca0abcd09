#include "crashreport/pipeline/threads/heap_probe_win.h"

#include <initializer_list>

namespace tarvex {

THeapProbe* THeapProbe::Instance() {
  static THeapProbe* const probe = []() -> THeapProbe* {
    auto* made = new THeapProbe;
    made->go_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    made->idle_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    const HANDLE thread =
        made->go_ && made->idle_ ? CreateThread(nullptr, 64 * 1024, &Body, made, 0, &made->threadId_) : nullptr;
    if (thread == nullptr) {  // no probe: the pauser keeps what it paused, as without one
      for (HANDLE event : {made->go_, made->idle_})
        if (event) CloseHandle(event);
      delete made;
      return nullptr;
    }
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    CloseHandle(thread);
    return made;
  }();
  return probe;
}

bool THeapProbe::HeapIsFree(DWORD waitMs) {
  if (!WaitIdle(0)) return false;  // the last try still waits for the lock
  ResetEvent(idle_);
  SetEvent(go_);
  return WaitIdle(waitMs);
}

DWORD WINAPI THeapProbe::Body(void* parameter) {
  auto& probe = *static_cast<THeapProbe*>(parameter);
  for (;;) {
    WaitForSingleObject(probe.go_, INFINITE);
    const HANDLE heap = GetProcessHeap();
    if (HeapLock(heap)) HeapUnlock(heap);
    SetEvent(probe.idle_);
  }
}

}  // namespace tarvex
