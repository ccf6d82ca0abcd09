// The whole handling of one exception in a program that carries the crash
// reporter (run it under Wine or on Windows): a thread calls down through 30
// distinct functions and throws at the deepest; the reporter meets the throw
// at raise time (the thread start wrapper will catch it, rkThreadWrapper) and
// runs its handling on the handler thread. Time points:
//   raised    just before the throw
//   reached   the handling asks the report builder to trace the call stacks
//   located   the stacks are traced and every address named (exception ID)
//   listed    the modules and processes are listed
//   composed  the bug report is composed
//   notified  the notify event runs (in the raising thread)
//   shot      the screenshot is taken
//   handed    acBeforeDialog: the report is handed to its output (after the
//             custom data event)
// The reporter is started through the same composition root as in every
// program (StartTarvexLog with the live report builder and the Windows
// dialogs); the builder and the screenshot are wrapped only to read the clock. Before the
// reporter starts, the same run times a plain RaiseException round trip
// (raise, an SEH frame's handler continues execution), the unit the handling
// is compared with when the machine is emulated.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/performance_counter_win.h"
#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/pipeline/services/handling_parts_win.h"
#include "crashreport/pipeline/services/live_report_builder_win.h"
#include "crashreport/startup/tarvexlog_startup_win.h"
#include "crashreport/dialogs/detailed/detailed_dialog.h"
#include "crashreport/dialogs/exception_dialogs/exception_dialogs_win.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;

constexpr int kDepth = 30;
constexpr int kRounds = 12;
constexpr int kPlainRounds = 2000;

double Now() { return NowMilliseconds(); }

enum Point { kRaised, kReached, kLocated, kListed, kComposed, kNotified, kShot, kHanded, kPoints };
double points[kPoints];

// The live builder, with the clock read around the steps the handling asks for.
class TimedBuilder : public TReportBuilder {
 public:
  void TraceCallStacks(const TCaptureInfo& capture, const TTarvexModuleOptions& options) override {
    points[kReached] = Now();
    live_->TraceCallStacks(capture, options);
    points[kLocated] = Now();
  }
  std::string ExceptionId() const override { return live_->ExceptionId(); }
  void ListModulesAndProcesses() override {
    live_->ListModulesAndProcesses();
    points[kListed] = Now();
  }
  BugReport Compose(const TCaptureInfo& capture, const TTarvexModuleOptions& options, double time) override {
    BugReport report = live_->Compose(capture, options, time);
    points[kComposed] = Now();
    return report;
  }
  const ReportFacts& Facts() const override { return live_->Facts(); }

 private:
  std::unique_ptr<TReportBuilder> live_ = MakeLiveReportBuilder();
};

class TimedScreenshot : public TScreenshotFile {
 public:
  void Capture(const TTarvexModuleOptions& options) override {
    TScreenshotFile::Capture(options);
    points[kShot] = Now();
  }
};

// Each depth is a function of its own, so every frame has its own call site.
template <int Depth>
__attribute__((noinline)) void CallDown() {
  if constexpr (Depth == 0) {
    points[kRaised] = Now();
    throw rtl::EConvertError("'bench' is not a valid integer value");
  } else {
    CallDown<Depth - 1>();
    asm volatile("" ::: "memory");  // a call, not a jump
  }
}

DWORD WINAPI FailingThread(void*) {
  CallDown<kDepth - 1>();
  return 0;
}

// A plain SEH frame on the thread's chain; its handler continues after the raise.
EXCEPTION_DISPOSITION __cdecl ContinueHandler(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
  return ExceptionContinueExecution;
}

struct SehFrame {
  SehFrame* next;
  void* handler;
};

__attribute__((noinline)) void RaiseAndContinue() {
  SehFrame frame{nullptr, reinterpret_cast<void*>(&ContinueHandler)};
  asm volatile("movl %%fs:0, %0" : "=r"(frame.next));
  asm volatile("movl %0, %%fs:0" ::"r"(&frame) : "memory");
  RaiseException(0xE0000001, 0, 0, nullptr);
  asm volatile("movl %0, %%fs:0" ::"r"(frame.next) : "memory");
}

double PlainRoundTripMs() {
  RaiseAndContinue();  // the first one pays for the dispatcher's first use
  const double start = Now();
  for (int i = 0; i < kPlainRounds; ++i) RaiseAndContinue();
  return (Now() - start) / kPlainRounds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const double plain = PlainRoundTripMs();

  TimedBuilder builder;
  TimedScreenshot screenshot;
  TWindowsExceptionDialogs dialogs(WindowsDialogRunners(&RunDetailedDialog));
  TTarvexLogParts parts;
  parts.Builder = &builder;
  parts.Dialogs = &dialogs;
  parts.Screenshot = &screenshot;
  if (!StartTarvexLog(parts)) {
    std::fprintf(stderr, "the crash reporter did not start (no embedded data?)\n");
    return 1;
  }
  TTarvexEvents& events = TarvexLogEvents()->ProcedureVariables();
  events.OnExceptionNotify = [](TExceptionInfo&, bool&) { points[kNotified] = Now(); };
  // The hand-off is the last time point: the report itself is not printed.
  events.OnExceptionActionNotify = [](TExceptionInfo&, TActionCode code, bool& goOn) {
    if (code != acBeforeDialog) return;
    points[kHanded] = Now();
    goOn = false;
  };

  std::vector<double> steps[kPoints];
  for (int round = 0; round < kRounds; ++round) {
    std::fill(std::begin(points), std::end(points), 0.0);
    const HANDLE thread = CreateThread(nullptr, 0, FailingThread, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    if (points[kHanded] == 0.0) {
      std::fprintf(stderr, "round %d: the report was not handed off\n", round);
      return 1;
    }
    if (round == 0) {
      std::printf("first round (reads the line tables): %.3f ms\n", points[kHanded] - points[kRaised]);
      continue;
    }
    for (int p = kReached; p < kPoints; ++p) steps[p].push_back(points[p] - points[p - 1]);
    steps[kRaised].push_back(points[kHanded] - points[kRaised]);
  }
  const char* names[kPoints] = {"raised -> handed off (whole)",  "raised -> handler reached",
                                "reached -> stack traced and located", "located -> modules and processes listed",
                                "listed -> report composed",     "composed -> notify event run",
                                "notified -> screenshot taken",  "screenshot -> handed off"};
  std::printf("median of %d rounds, %d-frame stack:\n", kRounds - 1, kDepth);
  for (int p = kReached; p < kPoints; ++p) std::printf("  %-42s %9.3f ms\n", names[p], Median(steps[p]));
  const double whole = Median(steps[kRaised]);
  std::printf("  %-42s %9.3f ms\n", names[kRaised], whole);
  int named = 0;
  const TTarvexStackList& stack = *builder.Facts().stack;
  for (int i = 0; i < stack.Count(); ++i) named += stack[i].InfoLevel == ilLine;
  std::printf("%d stack entries named to the line\n", named);
  std::printf("plain RaiseException round trip: %.4f ms (%d rounds)\n", plain, kPlainRounds);
  std::printf("whole handling / plain round trip: %.0f\n", whole / plain);
  StopTarvexLog();
  return 0;
}
