// Time to trace and compose a whole bug report in the running process (run it
// under Wine or on Windows): the main thread calls down 30 frames, then the
// live report builder traces its stack and composes the report repeatedly,
// as the handling does for an exception raised at the deepest frame.
#include <windows.h>

#include <cstdio>

#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/core/options/options.h"
#include "crashreport/core/pipeline/front_door_win.h"
#include "crashreport/core/pipeline/live_facts_win.h"
#include "crashreport/core/pipeline/live_report_builder_win.h"
#include "rtl/exception.h"
#include "crashreport/core/sysinfo/system_query_win.h"

namespace {

using namespace tarvex;

constexpr int kDepth = 30;
constexpr int kRounds = 20;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Runs `step` kRounds times and prints the time of one.
template <typename Step>
void Time(const char* what, Step step) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int round = 0; round < kRounds; ++round) step();
  QueryPerformanceCounter(&end);
  std::printf("%-44s %8.3f ms\n", what, Milliseconds(start, end) / kRounds);
}

__attribute__((noinline)) void Measure(const TCaptureInfo& capture) {
  const TTarvexModuleOptions options;
  const std::unique_ptr<TReportBuilder> builder = MakeLiveReportBuilder();
  Time("trace the call stacks and the exception ID", [&] { builder->TraceCallStacks(capture, options); });
  Time("list the modules and processes", [&] { builder->ListModulesAndProcesses(); });
  Time("system facts", [&] { GatherSystemFacts(WindowsSystemQuery()); });
  size_t length = 0;
  Time("compose (system facts included)", [&] { length = builder->Compose(capture, options, LocalDateTimeNow()).text.size(); });
  Time("compose from gathered facts", [&] { length = ComposeBugReport(builder->Facts()).text.size(); });
  int entries = 0;
  for (int i = 0; i < builder->Facts().stack->Count(); ++i) entries += (*builder->Facts().stack)[i].InfoLevel == ilLine;
  std::printf("%d stack entries named to the line, report of %zu bytes\n", entries, length);
}

__attribute__((noinline)) int CallDown(int depth, const rtl::Exception& raised) {
  volatile int frame = depth;
  if (depth == 0) {
    TCaptureInfo capture;
    capture.Object = &raised;
    capture.Address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&CallDown));
    capture.StackPointer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    capture.StackBase = CurrentThreadStackTop();
    capture.ThreadId = GetCurrentThreadId();
    Measure(capture);
    return frame;
  }
  return CallDown(depth - 1, raised) + frame;
}

}  // namespace

int main() {
  SetMainThreadId(GetCurrentThreadId());
  const rtl::EConvertError raised("'bench' is not a valid integer value");
  CallDown(kDepth - 1, raised);
  return 0;
}
