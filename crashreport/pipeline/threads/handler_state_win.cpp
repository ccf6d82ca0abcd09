#include "crashreport/pipeline/threads/handler_state_win.h"

#include <atomic>
#include <mutex>

namespace tarvex {

THandlerLock& THandlerLock::Instance() {
  static THandlerLock lock;
  return lock;
}

namespace {

DWORD GuardSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

// TlsGetValue clears the thread's last error; the guards are read inside
// hooks that must leave it as the program set it.
uintptr_t Guards() {
  const DWORD lastError = GetLastError();
  const uintptr_t guards = reinterpret_cast<uintptr_t>(TlsGetValue(GuardSlot()));
  SetLastError(lastError);
  return guards;
}
void StoreGuards(uintptr_t value) { TlsSetValue(GuardSlot(), reinterpret_cast<void*>(value)); }

constexpr int kMaxExcludedThreads = 64;
std::atomic<DWORD> excluded[kMaxExcludedThreads];

std::atomic<DWORD> handlingThread{0};
std::atomic<const std::function<void()>*> pendingCall{nullptr};
std::mutex callTurn;  // one event call handed over at a time

}  // namespace

bool ThreadGuardSet(TThreadGuard guard) { return (Guards() & guard) != 0; }

bool TryTakeThreadGuard(TThreadGuard guard) {
  const uintptr_t guards = Guards();
  if ((guards & guard) != 0) return false;
  StoreGuards(guards | guard);
  return true;
}

void ClearThreadGuard(TThreadGuard guard) { StoreGuards(Guards() & ~static_cast<uintptr_t>(guard)); }

bool ExcludeThread(DWORD threadId) {
  if (threadId == 0 || IsThreadExcluded(threadId)) return threadId != 0;
  for (std::atomic<DWORD>& entry : excluded) {
    DWORD empty = 0;
    if (entry.compare_exchange_strong(empty, threadId)) return true;
  }
  return false;
}

void IncludeThread(DWORD threadId) {
  for (std::atomic<DWORD>& entry : excluded) {
    DWORD id = threadId;
    entry.compare_exchange_strong(id, 0);
  }
}

bool IsThreadExcluded(DWORD threadId) {
  for (const std::atomic<DWORD>& entry : excluded)
    if (entry.load() == threadId && threadId != 0) return true;
  return false;
}

DWORD HandlingThreadId() { return handlingThread.load(); }
void SetHandlingThreadId(DWORD threadId) { handlingThread.store(threadId); }

HANDLE EventCallSignal() {
  static const HANDLE signal = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  return signal;
}

namespace {

HANDLE EventCallDone() {
  static const HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  return done;
}

}  // namespace

void CallInRaisingThread(const std::function<void()>& call) {
  const DWORD raising = HandlingThreadId();
  if (raising == 0 || raising == GetCurrentThreadId()) {
    call();
    return;
  }
  std::lock_guard<std::mutex> turn(callTurn);
  pendingCall.store(&call);
  SetEvent(EventCallSignal());
  WaitForSingleObject(EventCallDone(), INFINITE);
}

void RunPendingEventCall() {
  const std::function<void()>* call = pendingCall.load();
  if (call == nullptr) return;
  (*call)();
  pendingCall.store(nullptr);
  SetEvent(EventCallDone());
}

bool EventCallPending() { return pendingCall.load() != nullptr; }

}  // namespace tarvex
