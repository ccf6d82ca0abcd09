// What a freeze report needs of the hung thread, taken while it is suspended
// for as short as possible: its registers and a copy of its stack, into
// memory reserved beforehand (the suspended thread may hold the heap's lock).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace tarvex {

class TFrozenThreadSnapshot {
 public:
  // Reserves the memory and opens `threadId`; Ready() is false when either failed.
  explicit TFrozenThreadSnapshot(DWORD threadId);
  ~TFrozenThreadSnapshot();
  TFrozenThreadSnapshot(const TFrozenThreadSnapshot&) = delete;
  TFrozenThreadSnapshot& operator=(const TFrozenThreadSnapshot&) = delete;

  bool Ready() const { return thread_ != nullptr && stack_ != nullptr; }
  // Suspends the thread, reads its control and integer registers and copies
  // its stack from the stack pointer up (at most kStackLimit bytes), then
  // resumes it; allocates nothing. False when the context could not be read
  // or its instruction or stack pointer is 0.
  bool Take();

  DWORD ThreadId() const { return threadId_; }
  const CONTEXT& Context() const { return context_; }
  uint32_t StackPointer() const { return context_.Esp; }
  uint32_t StackTop() const { return stackTop_; }  // the upper end of the committed stack
  const uint8_t* StackCopy() const { return stack_.get(); }
  uint32_t StackCopySize() const { return stackSize_; }

  static constexpr uint32_t kStackLimit = 102400;

 private:
  DWORD threadId_;
  HANDLE thread_ = nullptr;
  CONTEXT context_{};
  std::unique_ptr<uint8_t[]> stack_;
  uint32_t stackTop_ = 0, stackSize_ = 0;
};

}  // namespace tarvex
