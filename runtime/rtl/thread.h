// The runtime's thread object: a body run on a thread of its own, a flag that
// asks the body to end, and the choice to free the object when the body ends.
// Windows only (thread_win.cpp).
#pragma once

#include <atomic>
#include <cstdint>

namespace rtl {

enum class ThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

class Thread {
 public:
  // The thread is made at once, suspended: its body runs from Resume() on, so
  // a derived object is whole before its Execute() can run.
  Thread();
  // A body never resumed is dropped without running. A running one must be
  // ended by its owner first (Terminate, then WaitFor): the derived parts it
  // uses are gone by the time this destructor runs. An object that frees
  // itself is deleted by its own thread only.
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  void Resume();
  // Sets the flag that the body polls; the body decides when to stop.
  void Terminate() noexcept { terminated_.store(true, std::memory_order_relaxed); }
  // Waits for the body's end; its exit code (0 when the wait failed).
  uint32_t WaitFor();
  // Ends the thread at once without running anything of it (for a host that
  // cannot wait: a library being unloaded).
  void Kill(uint32_t exitCode);

  // When set, the object deletes itself after its body ends. Set it before Resume().
  void SetFreeOnTerminate(bool value) noexcept { freeOnTerminate_ = value; }
  bool FreeOnTerminate() const noexcept { return freeOnTerminate_; }
  void SetPriority(ThreadPriority priority);

  bool Started() const noexcept { return handle_ != nullptr; }  // false when the system made no thread
  void* Handle() const noexcept { return handle_; }
  uint32_t ThreadId() const noexcept { return threadId_; }

 protected:
  // The body; it returns when Terminated() becomes true (or its work is done).
  virtual void Execute() = 0;
  // Whether Terminate() was called. Relaxed: the flag is a request on its own
  // and publishes no other data.
  bool Terminated() const noexcept { return terminated_.load(std::memory_order_relaxed); }

 private:
  static unsigned long __attribute__((stdcall)) Start(void* self);

  void* handle_ = nullptr;
  uint32_t threadId_ = 0;
  bool freeOnTerminate_ = false;
  bool resumed_ = false;   // owner's thread only
  std::atomic<bool> terminated_{false};
};

}  // namespace rtl
