// Pausing the other threads of the process for a handling. The threads are
// listed first (listing may take heap memory); pausing and resuming them take
// none, since a paused thread may hold the heap's lock. Threads are kept
// paused only where none of them holds it: the handling allocates, and so
// does the system on its behalf.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "crashreport/pipeline/handling/handling_system.h"

namespace tarvex {

class TThreadPauser {
 public:
  static constexpr size_t kMaxThreads = 512;  // threads beyond these run on

  // Lists the threads `pause` names: never the calling thread or the raising one.
  void Prepare(const TThreadPause& pause);
  // Pauses the listed threads. When one of them holds the heap's lock, they
  // are resumed until it lets go and paused again; after a few tries they
  // stay running (the handling then runs beside them).
  void PausePrepared();
  void ResumeAll();
  size_t PausedCount() const { return pausedCount_; }

 private:
  void PauseListed();

  std::array<DWORD, kMaxThreads> listed_{};
  size_t listedCount_ = 0;
  std::array<HANDLE, kMaxThreads> paused_{};
  size_t pausedCount_ = 0;
};

}  // namespace tarvex
