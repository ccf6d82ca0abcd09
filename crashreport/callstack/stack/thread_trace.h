// Tracing the stacks of the exception thread and of the process's other
// threads. The suspension of other threads is in thread_trace_win.cpp; this
// is the part that works on captured data.
#pragma once

#include <cstdint>
#include <memory>

#include "crashreport/callstack/stack/call_stack_context.h"
#include "crashreport/callstack/stack/threads_list.h"

namespace tarvex {

// Whether another thread's stack is traced: framework threads (the main
// thread, or one started through the framework's thread object) when the
// call-stack options ask for them, all others by their own option bit.
bool IsTracedThread(const TTarvexThreadInfo& entry, uint32_t exceptionThreadID, uint32_t mainThreadID,
                    uint32_t callStackOptions);

// The stack of the raising thread: the exception address, then the stack
// from `stackPointer` (the one recorded at the raise, below which lie the
// reporter's own frames) up to `stackTop`; then the saved stack of the
// thread that started it, when the snapshot lists it.
std::unique_ptr<TTarvexStackList> TraceExceptionThread(CallStackContext& context, uint32_t exceptionAddress,
                                                       uint32_t stackPointer, uint32_t stackTop, uint32_t threadID,
                                                       const TTarvexThreadsList& snapshot);

// Walks a thread's stack from a copy of its bytes taken while it was
// suspended ([stackPointer, stackPointer + copiedSize)); code is read live.
void WalkCopiedStack(CallStackContext& context, TTarvexStackList& list, uint32_t threadID, uint32_t stackPointer,
                     uint32_t stackTop, const uint8_t* copy, uint32_t copiedSize);

// Walks the stack saved in `entry` by the thread that started it (tag 0,
// that thread's identifier); nothing when there is none.
void WalkSavedStack(CallStackContext& context, const TTarvexThreadInfo& entry, TTarvexStackList& list);

}  // namespace tarvex
