// Time to trace and compose a whole bug report in the running process (run it
// under Wine or on Windows): the main thread calls down through 30 distinct
// functions, then the live report builder traces its stack and composes the
// report repeatedly, as the handling does for an exception raised at the
// deepest call. The first round pays for reading the modules' line tables.
#include <windows.h>

#include <cstdio>

#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/base/options/options.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/services/live_facts_win.h"
#include "crashreport/pipeline/services/live_report_builder_win.h"
#include "crashreport/report/sysinfo/system_query_win.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;

constexpr int kDepth = 30;
constexpr int kRounds = 20;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Runs `step` kRounds times; prints the first round and the mean of the others.
template <typename Step>
void Time(const char* what, Step step) {
  LARGE_INTEGER start, first, end;
  QueryPerformanceCounter(&start);
  step();
  QueryPerformanceCounter(&first);
  for (int round = 1; round < kRounds; ++round) step();
  QueryPerformanceCounter(&end);
  std::printf("%-44s first %9.3f ms, then %9.3f ms\n", what, Milliseconds(start, first),
              Milliseconds(first, end) / (kRounds - 1));
}

__attribute__((noinline)) void Measure(const TCaptureInfo& capture) {
  const TTarvexModuleOptions options;
  const std::unique_ptr<TReportBuilder> builder = MakeLiveReportBuilder();
  Time("trace the call stacks and the exception ID", [&] { builder->TraceCallStacks(capture, options); });
  Time("list the modules and processes", [&] { builder->ListModulesAndProcesses(); });
  Time("gather the system facts alone", [&] { GatherSystemFacts(WindowsSystemQuery()); });
  size_t length = 0;
  Time("compose (system facts included)", [&] { length = builder->Compose(capture, options, LocalDateTimeNow()).Text().size(); });
  Time("compose from the gathered facts", [&] { length = ComposeBugReport(builder->Facts()).Text().size(); });
  int named = 0;
  const TTarvexStackList& stack = *builder->Facts().stack;
  for (int i = 0; i < stack.Count(); ++i) named += stack[i].InfoLevel == ilLine;
  std::printf("%d stack entries named to the line, report of %zu bytes\n", named, length);
}

// Each depth is a function of its own, so every frame has its own call site.
template <int Depth>
__attribute__((noinline)) void CallDown(const rtl::Exception& raised) {
  if constexpr (Depth == 0) {
    TCaptureInfo capture;
    capture.Object = &raised;
    capture.Address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&CallDown<0>));
    capture.StackPointer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    capture.StackBase = CurrentThreadStackTop();
    capture.ThreadId = GetCurrentThreadId();
    Measure(capture);
  } else {
    CallDown<Depth - 1>(raised);
    asm volatile("" ::: "memory");  // a call, not a jump
  }
}

}  // namespace

int main() {
  SetMainThreadId(GetCurrentThreadId());
  const rtl::EConvertError raised("'bench' is not a valid integer value");
  CallDown<kDepth - 1>(raised);
  return 0;
}
