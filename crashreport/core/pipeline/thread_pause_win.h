// Pausing the other threads of the process for a handling. The threads are
// listed first (listing may take heap memory); pausing and resuming them take
// none, since a paused thread may hold the heap's lock.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "crashreport/core/pipeline/handling_system.h"

namespace tarvex {

class TThreadPauser {
 public:
  static constexpr size_t kMaxThreads = 512;  // threads beyond these run on

  // Lists the threads `pause` names: never the calling thread or the raising one.
  void Prepare(const TThreadPause& pause);
  void PausePrepared();
  void ResumeAll();
  size_t PausedCount() const { return pausedCount_; }

 private:
  std::array<DWORD, kMaxThreads> listed_{};
  size_t listedCount_ = 0;
  std::array<HANDLE, kMaxThreads> paused_{};
  size_t pausedCount_ = 0;
};

}  // namespace tarvex
