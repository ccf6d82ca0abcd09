// Every other thread of the process held still while code they may be
// running is rewritten.
//
// A thread can be stopped between any two instructions. When a hook writes
// its 5-byte jump over the first instructions of a routine, a thread stopped
// after the first of them would go on in the middle of the jump and run its
// tail as code. With the others frozen, such a thread is moved to the same
// instruction in the trampoline, which keeps every copied instruction at its
// offset, and the jump is written while nothing runs.
//
// Nothing that allocates or takes a lock runs while threads are frozen (a
// frozen thread may hold the heap's lock): the thread list is read into a
// buffer and the handles into storage made before the first thread stops.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tarvex {

class TThreadFreeze {
 public:
  // Suspends every other thread of the process, also those started while the
  // first were being suspended. Frozen() is false when the threads cannot be
  // listed; then none is left suspended.
  TThreadFreeze();
  ~TThreadFreeze();  // resumes them
  TThreadFreeze(const TThreadFreeze&) = delete;
  TThreadFreeze& operator=(const TThreadFreeze&) = delete;

  bool Frozen() const { return frozen_; }

  // A frozen thread whose next instruction lies strictly inside
  // [from, from + size) goes on at the same offset from `to` instead. False
  // when such a thread cannot be moved. A thread whose context cannot be read
  // at all is left where it is.
  bool MoveThreadsInside(uint32_t from, uint32_t size, uint32_t to);

 private:
  enum class Round { kNoNewThreads, kNewThreads, kStorageTooSmall, kCannotList };
  Round SuspendUnheld();
  void ResumeAll();

  std::vector<uint8_t> processes_;  // the system's process and thread list
  std::vector<DWORD> ids_;          // this process's threads, from processes_
  struct Held {
    HANDLE handle;
    DWORD id;
  };
  std::vector<Held> held_;          // suspended by this freeze
  bool frozen_ = false;
};

}  // namespace tarvex
