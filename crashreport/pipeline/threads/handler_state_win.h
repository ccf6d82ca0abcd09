// The process-wide and per-thread state that keeps one handling at a time:
// the re-entrant handler lock, the three guards of each thread, the threads
// the crash reporter stays away from, and the one event call the handler
// thread may post to the raising thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace tarvex {

// Held for the whole handling of one exception; re-entrant for its owner.
class THandlerLock {
 public:
  static THandlerLock& Instance();
  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  THandlerLock() { InitializeCriticalSection(&section_); }
  CRITICAL_SECTION section_;
};

class THandlerLockHold {
 public:
  THandlerLockHold() { THandlerLock::Instance().Enter(); }
  ~THandlerLockHold() { THandlerLock::Instance().Leave(); }
  THandlerLockHold(const THandlerLockHold&) = delete;
  THandlerLockHold& operator=(const THandlerLockHold&) = delete;
};

// The guards of the calling thread, kept in one thread-local slot (zero at
// thread start; reading and writing it never allocates).
enum TThreadGuard : uintptr_t {
  tgInHandler = 1,      // inside the handling
  tgInRaiseNotify = 2,  // inside the raise notification
  tgInThreadList = 4,   // the thread list must not be touched
};
bool ThreadGuardSet(TThreadGuard guard);
// Sets the guard; false when it was already set.
bool TryTakeThreadGuard(TThreadGuard guard);
void ClearThreadGuard(TThreadGuard guard);

// Takes a guard for a scope; Taken() is false when the thread already held it.
class TThreadGuardScope {
 public:
  explicit TThreadGuardScope(TThreadGuard guard) : guard_(guard), taken_(TryTakeThreadGuard(guard)) {}
  ~TThreadGuardScope() {
    if (taken_) ClearThreadGuard(guard_);
  }
  TThreadGuardScope(const TThreadGuardScope&) = delete;
  TThreadGuardScope& operator=(const TThreadGuardScope&) = delete;
  bool Taken() const { return taken_; }

 private:
  TThreadGuard guard_;
  bool taken_;
};

// Threads the crash reporter stays out of (a fixed table: no allocation).
bool ExcludeThread(DWORD threadId);
void IncludeThread(DWORD threadId);
bool IsThreadExcluded(DWORD threadId);

// The raising thread of the handling in progress (0: none).
DWORD HandlingThreadId();
void SetHandlingThreadId(DWORD threadId);

// Runs `call` in the raising thread: directly when the caller is that thread
// or no handling runs, else handed over as the pending event call (one at a
// time), waking the raising thread, and waits until it has run.
void CallInRaisingThread(const std::function<void()>& call);
// Signalled when an event call is handed over: the waiting raising thread
// wakes on it (auto-reset).
HANDLE EventCallSignal();
// Run by the waiting raising thread: the pending event call, if any; then its
// caller goes on.
void RunPendingEventCall();
// Whether an event call is handed over and not yet done (true while it runs).
bool EventCallPending();

}  // namespace tarvex
