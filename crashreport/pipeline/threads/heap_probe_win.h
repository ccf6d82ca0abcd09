// Whether the process heap can be taken now. A paused thread that holds the
// heap's lock would stop every allocation of the handling (the system's own
// calls allocate from that heap as well), so the pauser asks after pausing.
#pragma once

#include <windows.h>

namespace tarvex {

class THeapProbe {
 public:
  // The probe thread, started on first use (which may take heap memory: call
  // it before anything is paused). nullptr when the thread cannot start.
  static THeapProbe* Instance();

  DWORD ThreadId() const { return threadId_; }
  // Takes and gives back the heap's lock in the probe thread; false when that
  // did not finish within `waitMs`, or an earlier try has not finished yet.
  bool HeapIsFree(DWORD waitMs);
  // Waits until the probe is idle again (its try got the lock); false when the time is up.
  bool WaitIdle(DWORD waitMs) { return WaitForSingleObject(idle_, waitMs) == WAIT_OBJECT_0; }

 private:
  THeapProbe() = default;
  static DWORD WINAPI Body(void* parameter);

  HANDLE go_ = nullptr;    // auto-reset: one try
  HANDLE idle_ = nullptr;  // manual-reset: set while no try is running
  DWORD threadId_ = 0;
};

}  // namespace tarvex
