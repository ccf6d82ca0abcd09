#include "crashreport/callstack/stack/thread_trace_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "crashreport/callstack/stack/stack_walk.h"
#include "crashreport/callstack/stack/thread_trace.h"

namespace tarvex {

namespace {

constexpr DWORD kControlAndIntegerRegisters = 0x10003;  // CONTEXT_CONTROL | CONTEXT_INTEGER on i386
constexpr uint32_t kCopyBlock = 4096;

// One traced thread: everything it needs while the threads are suspended is
// allocated before the first suspension.
struct FrozenThread {
  const TTarvexThreadInfo* entry;
  HANDLE handle;
  bool suspended = false;
  bool captured = false;
  uint32_t stackPointer = 0;
  uint32_t stackTop = 0;
  std::vector<uint8_t> stack = std::vector<uint8_t>(kMaxStackScan + 4);
  uint32_t copied = 0;
};

// Runs while the threads are suspended: no allocation, no lock.
void Capture(const MemorySpace& memory, FrozenThread& thread) {
  CONTEXT registers;
  ZeroMemory(&registers, sizeof registers);
  registers.ContextFlags = kControlAndIntegerRegisters;
  if (!GetThreadContext(thread.handle, &registers) || registers.Eip == 0 || registers.Esp == 0) return;
  thread.captured = true;
  thread.stackPointer = registers.Esp;
  thread.stackTop = thread.entry->StackTop ? thread.entry->StackTop : CommittedStackEnd(memory, registers.Esp);
  if (thread.stackTop <= thread.stackPointer) return;
  // Copy what a walk scans: its slots up to the capped top, page by page while readable.
  const uint64_t wanted = std::min<uint64_t>(uint64_t(thread.stackTop) - thread.stackPointer + 4, thread.stack.size());
  while (thread.copied < wanted) {
    const uint32_t at = thread.stackPointer + thread.copied;
    const uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(kCopyBlock - at % kCopyBlock, wanted - thread.copied));
    if (!ReadMemory(memory, at, thread.stack.data() + thread.copied, chunk)) break;
    thread.copied += chunk;
  }
}

}  // namespace

uint32_t CommittedStackEnd(const MemorySpace& memory, uint32_t stackPointer) {
  MemoryRegion region;
  return memory.QueryRegion(stackPointer, region) ? region.base + region.size : 0;
}

uint32_t CurrentThreadStackTop() {
  uint32_t stackBase;
  asm volatile("movl %%fs:4, %0" : "=r"(stackBase));  // NT_TIB.StackBase of the current thread
  return stackBase;
}

void TraceOtherThreads(CallStackContext& context, const TTarvexThreadsList& snapshot, uint32_t exceptionThreadID,
                       uint32_t mainThreadID, uint32_t callStackOptions, TTarvexStackList& list) {
  std::vector<FrozenThread> threads;
  threads.reserve(snapshot.Count());
  for (int i = 0; i < snapshot.Count(); ++i)
    if (IsTracedThread(snapshot[i], exceptionThreadID, mainThreadID, callStackOptions) &&
        snapshot[i].ThreadID != GetCurrentThreadId())
      threads.push_back({&snapshot[i], reinterpret_cast<HANDLE>(uintptr_t(snapshot[i].Handle))});

  // From the first suspension to the last resumption nothing may allocate.
  for (FrozenThread& thread : threads) thread.suspended = SuspendThread(thread.handle) != DWORD(-1);
  for (FrozenThread& thread : threads)
    if (thread.suspended) Capture(context.memory, thread);
  for (FrozenThread& thread : threads)
    if (thread.suspended) ResumeThread(thread.handle);

  for (const FrozenThread& thread : threads) {
    if (thread.captured)
      WalkCopiedStack(context, list, thread.entry->ThreadID, thread.stackPointer, thread.stackTop,
                      thread.stack.data(), thread.copied);
    WalkSavedStack(context, *thread.entry, list);
  }
}

}  // namespace tarvex
