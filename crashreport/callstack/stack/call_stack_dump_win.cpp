#include "crashreport/callstack/stack/call_stack_dump_win.h"

#include <windows.h>

#include <exception>

#include "crashreport/callstack/stack/locate_address.h"
#include "crashreport/callstack/stack/call_stack_context_win.h"
#include "crashreport/callstack/stack/stack_text.h"
#include "crashreport/callstack/stack/stack_walk.h"
#include "crashreport/callstack/stack/thread_trace_win.h"

namespace tarvex {

namespace {

uint32_t WalkStart(uint32_t recordedStackPointer, const CallStackContext& context) {
  if (recordedStackPointer != 0 && !context.hostIsDevelopmentEnvironment) return recordedStackPointer;
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
}

}  // namespace

std::string DumpCurrentCallStack(uint32_t recordedStackPointer) {
  CallStackContext& context = ProcessCallStackContext();
  const uint32_t start = WalkStart(recordedStackPointer, context);
  WalkOptions options;
  options.threadID = GetCurrentThreadId();
  for (bool useDebugInfo : {true, false}) {
    options.useDebugInfo = useDebugInfo;
    try {
      TTarvexStackList list;
      WalkStack(context, list, 0, start, CurrentThreadStackTop(), options);
      return FormatCallStackDump(list);
    } catch (const std::exception&) {
      // a failing debug source: name the modules only
    }
  }
  return {};
}

std::string DescribeAddress(uint32_t address) {
  try {
    TTarvexStackItem item;
    LocateAddress(ProcessCallStackContext(), address, GetCurrentThreadId(), item, false, 1);
    return DescribeStackItem(item);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace tarvex
