// Tracing the other threads of the process (Windows).
#pragma once

#include <cstdint>

#include "crashreport/callstack/stack/call_stack_context.h"
#include "crashreport/callstack/stack/threads_list.h"

namespace tarvex {

// The process-wide threads list, filled by the thread hooks.
TTarvexThreadsList& ThreadsList();

// The upper end of the calling thread's stack (from its thread information block).
uint32_t CurrentThreadStackTop();

// The end of the committed stack above `stackPointer`: the stack top of a
// thread that has not recorded its own (0 when the address is not mapped).
uint32_t CommittedStackEnd(const MemorySpace& memory, uint32_t stackPointer);

// Appends the stacks of the threads of `snapshot` that IsTracedThread
// selects, each followed by its saved stack. The threads are suspended
// together only while their registers and stack bytes are copied into memory
// reserved beforehand (a suspended thread may hold the heap's lock, so nothing
// is allocated until they run again); the copies are walked afterwards.
void TraceOtherThreads(CallStackContext& context, const TTarvexThreadsList& snapshot, uint32_t exceptionThreadID,
                       uint32_t mainThreadID, uint32_t callStackOptions, TTarvexStackList& list);

}  // namespace tarvex
