#include "rtl/thread.h"

#include <windows.h>

namespace rtl {

namespace {

int WindowsPriority(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Idle: return THREAD_PRIORITY_IDLE;
    case ThreadPriority::Lowest: return THREAD_PRIORITY_LOWEST;
    case ThreadPriority::Lower: return THREAD_PRIORITY_BELOW_NORMAL;
    case ThreadPriority::Normal: return THREAD_PRIORITY_NORMAL;
    case ThreadPriority::Higher: return THREAD_PRIORITY_ABOVE_NORMAL;
    case ThreadPriority::Highest: return THREAD_PRIORITY_HIGHEST;
    case ThreadPriority::TimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}

}  // namespace

Thread::Thread() {
  DWORD id = 0;
  handle_ = CreateThread(nullptr, 0, &Thread::Start, this, CREATE_SUSPENDED, &id);
  threadId_ = id;
}

Thread::~Thread() {
  if (handle_ == nullptr) return;
  if (!resumed_) Kill(0);  // it never ran: nothing of it is left half done
  CloseHandle(handle_);
}

void Thread::Resume() {
  if (handle_ == nullptr) return;
  resumed_ = true;
  ResumeThread(handle_);
}

uint32_t Thread::WaitFor() {
  if (handle_ == nullptr || WaitForSingleObject(handle_, INFINITE) != WAIT_OBJECT_0) return 0;
  DWORD code = 0;
  GetExitCodeThread(handle_, &code);
  return code;
}

void Thread::Kill(uint32_t exitCode) {
  if (handle_ == nullptr) return;
  TerminateThread(handle_, exitCode);
  WaitForSingleObject(handle_, INFINITE);
}

void Thread::SetPriority(ThreadPriority priority) {
  if (handle_ != nullptr) SetThreadPriority(handle_, WindowsPriority(priority));
}

unsigned long __attribute__((stdcall)) Thread::Start(void* self) {
  auto* thread = static_cast<Thread*>(self);
  thread->Execute();
  if (thread->freeOnTerminate_) delete thread;
  return 0;
}

}  // namespace rtl
