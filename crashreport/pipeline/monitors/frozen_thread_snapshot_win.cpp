#include "crashreport/pipeline/monitors/frozen_thread_snapshot_win.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tarvex {

namespace {

// The end of the committed region that holds `stackPointer`: from the stack
// pointer up to the thread's stack base the stack is committed in one piece.
uint32_t CommittedEnd(uint32_t stackPointer) {
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(reinterpret_cast<const void*>(stackPointer), &region, sizeof region) != sizeof region ||
      region.State != MEM_COMMIT)
    return 0;
  return reinterpret_cast<uint32_t>(region.BaseAddress) + region.RegionSize;
}

}  // namespace

TFrozenThreadSnapshot::TFrozenThreadSnapshot(DWORD threadId)
    : threadId_(threadId), stack_(new (std::nothrow) uint8_t[kStackLimit]) {
  thread_ = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, threadId);
}

TFrozenThreadSnapshot::~TFrozenThreadSnapshot() {
  if (thread_ != nullptr) CloseHandle(thread_);
}

bool TFrozenThreadSnapshot::Take() {
  stackTop_ = stackSize_ = 0;
  if (!Ready() || SuspendThread(thread_) == static_cast<DWORD>(-1)) return false;
  std::memset(&context_, 0, sizeof context_);
  context_.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;  // 0x10003
  const bool taken = GetThreadContext(thread_, &context_) && context_.Eip != 0 && context_.Esp != 0;
  if (taken) {
    stackTop_ = CommittedEnd(context_.Esp);
    if (stackTop_ > context_.Esp) {
      stackSize_ = std::min<uint32_t>(stackTop_ - context_.Esp, kStackLimit);
      std::memcpy(stack_.get(), reinterpret_cast<const void*>(context_.Esp), stackSize_);
    }
  }
  ResumeThread(thread_);
  return taken;
}

}  // namespace tarvex
