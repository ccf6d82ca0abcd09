// The threads started in the process, as the thread hooks record them.
#pragma once

#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <vector>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

inline constexpr uint32_t kPriorityUnknown = 0x80000000u;

struct TTarvexThreadInfo {
  uint32_t ThreadID = 0;
  uint32_t Handle = 0;
  uint32_t SavedStackThreadID = 0;  // the thread that last resumed (that is, started) this one
  uint32_t Priority = kPriorityUnknown;
  void* ThreadObject = nullptr;  // the framework's thread object, when started through it
  uint32_t StackTop = 0;         // upper end of the stack, filled by the thread when it starts
  void* SavedExecute = nullptr;         // the thread object's run method the hooks replaced
  void* FrameworkThreadProc = nullptr;  // start routine taken over from the framework's thread start
  void* ThreadProc = nullptr;           // start routine taken over otherwise
  uint32_t Parameter = 0;
  // The used part of the resuming thread's stack (from its stack pointer up),
  // copied when it resumed this thread; empty when none. SavedStackAddress
  // is where the copied bytes were, so the copy is walked at its own place.
  std::vector<uint8_t> SavedStack;
  uint32_t SavedStackAddress = 0;
  uint8_t Resumed = 0;  // 1 once resumed through the hook
};

// Records in `entry` the stack of the thread that resumes it: the bytes from
// `stackPointer` to `stackTop` (the lowest part that a walk scans, at most),
// when readable; else no saved stack.
void SaveResumerStack(TTarvexThreadInfo& entry, uint32_t resumerThreadID, uint32_t stackPointer, uint32_t stackTop,
                      const MemorySpace& memory);

// The list with a multi-reader/single-writer lock. Lookups and changes expect
// the caller to hold the lock (ReadLock / WriteLock); a snapshot copy, taken
// under the source's read lock, has no lock of its own and needs none.
class TTarvexThreadsList {
 public:
  TTarvexThreadsList() : listLock_(std::make_unique<std::shared_mutex>()) {}
  TTarvexThreadsList(const TTarvexThreadsList& source);  // snapshot
  TTarvexThreadsList& operator=(const TTarvexThreadsList&) = delete;

  bool IsSnapshot() const { return !listLock_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  TTarvexThreadInfo& operator[](int index) { return *entries_[index]; }
  const TTarvexThreadInfo& operator[](int index) const { return *entries_[index]; }

  // A new zeroed entry (Priority unknown): appended to the list, or owned by
  // the caller (NewEntry) until it is added with Add.
  TTarvexThreadInfo* AddEntry() { return Add(NewEntry()); }
  static std::unique_ptr<TTarvexThreadInfo> NewEntry() { return std::make_unique<TTarvexThreadInfo>(); }
  TTarvexThreadInfo* Add(std::unique_ptr<TTarvexThreadInfo> entry);
  void Delete(int index) { entries_.erase(entries_.begin() + index); }

  // Search from the last entry backwards; -1 when absent.
  int IndexOfHandle(uint32_t handle) const;
  int IndexOfThreadObject(const void* threadObject) const;
  int IndexOfThreadID(uint32_t threadID) const;

  // Windows (threads_list_win.cpp); the caller holds the write lock.
  void RemoveCurrentThread();  // the calling thread's entry, at its exit
  void PurgeDeadThreads();     // entries whose handle is invalid or whose thread has ended

  void BeginRead() const { if (listLock_) listLock_->lock_shared(); }
  void EndRead() const { if (listLock_) listLock_->unlock_shared(); }
  void BeginWrite() { if (listLock_) listLock_->lock(); }
  void EndWrite() { if (listLock_) listLock_->unlock(); }

 private:
  template <typename Match>
  int LastIndexWhere(Match match) const;

  std::vector<std::unique_ptr<TTarvexThreadInfo>> entries_;
  std::unique_ptr<std::shared_mutex> listLock_;  // null in a snapshot
};

// Scoped holders of the list's lock.
class ThreadsReadLock {
 public:
  explicit ThreadsReadLock(const TTarvexThreadsList& list) : list_(list) { list_.BeginRead(); }
  ~ThreadsReadLock() { list_.EndRead(); }
  ThreadsReadLock(const ThreadsReadLock&) = delete;
  ThreadsReadLock& operator=(const ThreadsReadLock&) = delete;

 private:
  const TTarvexThreadsList& list_;
};

class ThreadsWriteLock {
 public:
  explicit ThreadsWriteLock(TTarvexThreadsList& list) : list_(list) { list_.BeginWrite(); }
  ~ThreadsWriteLock() { list_.EndWrite(); }
  ThreadsWriteLock(const ThreadsWriteLock&) = delete;
  ThreadsWriteLock& operator=(const ThreadsWriteLock&) = delete;

 private:
  TTarvexThreadsList& list_;
};

}  // namespace tarvex
