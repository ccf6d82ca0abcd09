#include "crashreport/pipeline/threads/stack_copy_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace tarvex {

namespace {

// The last stack copy, written by raising threads and read by the handler
// thread: guarded by copyLock.
std::mutex copyLock;
uint8_t copyBuffer[kStackCopyLimit];
uint32_t copyThread = 0, copyAddress = 0, copySize = 0;

}  // namespace

uint32_t CurrentStackBase() {
  uint32_t stackBase;
  asm volatile("movl %%fs:4, %0" : "=r"(stackBase));  // NT_TIB.StackBase of the current thread
  return stackBase;
}

void KeepStackCopy(uint32_t stackPointer) {
  const uint32_t base = CurrentStackBase();
  if (stackPointer == 0 || stackPointer >= base) return;
  const uint32_t size = std::min(base - stackPointer, kStackCopyLimit);
  std::lock_guard hold(copyLock);
  std::memcpy(copyBuffer, reinterpret_cast<const void*>(stackPointer), size);
  copyThread = GetCurrentThreadId();
  copyAddress = stackPointer;
  copySize = size;
}

TStackCopy StackCopyOf(uint32_t threadId) {
  TStackCopy copy;
  std::lock_guard hold(copyLock);
  if (copyThread != threadId || copySize == 0) return copy;
  copy.ThreadId = copyThread;
  copy.Address = copyAddress;
  copy.Bytes.assign(copyBuffer, copyBuffer + copySize);
  return copy;
}

}  // namespace tarvex
