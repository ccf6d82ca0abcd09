#include "crashreport/callstack/stack/thread_trace.h"

#include "crashreport/callstack/stack/stack_copy_memory.h"
#include "crashreport/callstack/stack/stack_text.h"
#include "crashreport/callstack/stack/stack_walk.h"

namespace tarvex {

namespace {

WalkOptions LiveStackOptions(uint32_t threadID) {
  WalkOptions options;
  options.threadID = threadID;
  return options;  // all levels, no limits, thunks followed, debug lookup on, tag 1
}

void WalkOver(CallStackContext& context, const MemorySpace& memory, TTarvexStackList& list, uint32_t start,
              uint32_t top, const WalkOptions& options) {
  CallStackContext over = context.ReadingFrom(memory);
  WalkStack(over, list, 0, start, top, options);
}

}  // namespace

bool IsTracedThread(const TTarvexThreadInfo& entry, uint32_t exceptionThreadID, uint32_t mainThreadID,
                    uint32_t callStackOptions) {
  if (entry.ThreadID == exceptionThreadID) return false;
  const bool framework = entry.ThreadID == mainThreadID || entry.ThreadObject != nullptr;
  return (callStackOptions & (framework ? kTraceFrameworkThreads : kTraceOtherThreads)) != 0;
}

std::unique_ptr<TTarvexStackList> TraceExceptionThread(CallStackContext& context, uint32_t exceptionAddress,
                                                       uint32_t stackPointer, uint32_t stackTop, uint32_t threadID,
                                                       const TTarvexThreadsList& snapshot) {
  auto list = CreateStackList(context, exceptionAddress, stackPointer, stackTop, LiveStackOptions(threadID));
  if (const int index = snapshot.IndexOfThreadID(threadID); index >= 0) WalkSavedStack(context, snapshot[index], *list);
  return list;
}

void WalkCopiedStack(CallStackContext& context, TTarvexStackList& list, uint32_t threadID, uint32_t stackPointer,
                     uint32_t stackTop, const uint8_t* copy, uint32_t copiedSize) {
  const StackCopyMemory memory(context.memory, stackPointer, copy, copiedSize);
  WalkOver(context, memory, list, stackPointer, stackTop, LiveStackOptions(threadID));
}

void WalkSavedStack(CallStackContext& context, const TTarvexThreadInfo& entry, TTarvexStackList& list) {
  const uint32_t size = static_cast<uint32_t>(entry.SavedStack.size());
  if (size < 4) return;
  WalkOptions options = LiveStackOptions(entry.SavedStackThreadID);
  options.tag = 0;
  const StackCopyMemory memory(context.memory, entry.SavedStackAddress, entry.SavedStack.data(), size);
  // The last slot is the last whole 4 bytes of the copy.
  WalkOver(context, memory, list, entry.SavedStackAddress, entry.SavedStackAddress + size - 4, options);
}

}  // namespace tarvex
