#include "crashreport/pipeline/threads/thread_pause_win.h"

#include <tlhelp32.h>

#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/threads/heap_probe_win.h"

namespace tarvex {

namespace {

constexpr int kPauseTries = 4;
// Generous: the probe thread only has to wake and take a free lock, and a
// try that comes too late just costs another round.
constexpr DWORD kProbeWaitMs = 1000;

// Started by the program: the main thread and the threads the thread hooks listed.
bool IsRuntimeThread(DWORD threadId) {
  if (threadId == MainThreadId()) return true;
  TTarvexThreadsList& threads = ThreadsList();
  threads.BeginRead();
  const bool listed = threads.IndexOfThreadID(threadId) >= 0;
  threads.EndRead();
  return listed;
}

bool Wanted(const TThreadPause& pause, DWORD threadId, DWORD probeThread) {
  if (threadId == GetCurrentThreadId() || threadId == pause.RaisingThread || threadId == probeThread) return false;
  if (pause.SpareMainThread && threadId == MainThreadId()) return false;
  return IsRuntimeThread(threadId) ? pause.RuntimeThreads : pause.OtherThreads;
}

}  // namespace

void TThreadPauser::Prepare(const TThreadPause& pause) {
  listedCount_ = 0;
  const THeapProbe* probe = THeapProbe::Instance();
  const DWORD probeThread = probe != nullptr ? probe->ThreadId() : 0;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  const DWORD self = GetCurrentProcessId();
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more && listedCount_ < kMaxThreads;
       more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == self && Wanted(pause, entry.th32ThreadID, probeThread))
      listed_[listedCount_++] = entry.th32ThreadID;
  }
  CloseHandle(snapshot);
}

void TThreadPauser::PausePrepared() {
  THeapProbe* probe = THeapProbe::Instance();  // made when the threads were listed
  for (int tries = 0; tries < kPauseTries; ++tries) {
    PauseListed();
    if (pausedCount_ == 0 || probe == nullptr || probe->HeapIsFree(kProbeWaitMs)) break;
    ResumeAll();  // a paused thread holds the heap: let it finish
    probe->WaitIdle(kProbeWaitMs);
  }
  listedCount_ = 0;
}

void TThreadPauser::PauseListed() {
  for (size_t i = 0; i < listedCount_; ++i) {
    const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, listed_[i]);
    if (thread == nullptr) continue;  // ended meanwhile
    if (SuspendThread(thread) == static_cast<DWORD>(-1)) {
      CloseHandle(thread);
      continue;
    }
    paused_[pausedCount_++] = thread;
  }
}

void TThreadPauser::ResumeAll() {
  for (size_t i = 0; i < pausedCount_; ++i) {
    ResumeThread(paused_[i]);
    CloseHandle(paused_[i]);
  }
  pausedCount_ = 0;
}

}  // namespace tarvex
