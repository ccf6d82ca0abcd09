#include "crashreport/pipeline/services/live_report_builder_win.h"

#include <windows.h>

#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/callstack/modules/processes_win.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/stack/call_stack_context_win.h"
#include "crashreport/callstack/stack/locate_address.h"
#include "crashreport/callstack/stack/thread_trace.h"
#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/base/options/options.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/services/live_facts_win.h"
#include "crashreport/pipeline/interception/os_exceptions_win.h"
#include "crashreport/report/composer/general_sections.h"
#include "crashreport/report/composer/thread_details.h"
#include "crashreport/report/sysinfo/system_query_win.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

constexpr const char* kUnknownExceptionType = "Unknown exception type";

// Runs one probe; its failure leaves its fact as it was (empty).
template <typename Probe>
void Guarded(Probe probe) noexcept {
  try {
    probe();
  } catch (...) {
  }
}

class TLiveReportBuilder final : public TReportBuilder {
 public:
  void TraceCallStacks(const TCaptureInfo& capture, const TTarvexModuleOptions& options) override {
    stack_.reset();
    exceptionID_.clear();
    Guarded([&] { GatherExceptionFacts(capture); });
    std::unique_ptr<TTarvexThreadsList> snapshot;  // copied under the list's read lock
    Guarded([&] { snapshot = std::make_unique<TTarvexThreadsList>(ThreadsList()); });
    if (!snapshot) return;
    Guarded([&] {
      stack_ = TraceExceptionThread(ProcessCallStackContext(), capture.Address, capture.StackPointer,
                                    RaisingStackTop(capture, *snapshot), capture.ThreadId, *snapshot);
    });
    Guarded([&] {
      facts_.stack = stack_.get();
      exceptionID_ = ComputeGeneralValues(facts_).exceptionID;
    });
    Guarded([&] {
      if (stack_)
        TraceOtherThreads(ProcessCallStackContext(), *snapshot, capture.ThreadId, MainThreadId(),
                          options.CallStackFlags(), *stack_);
    });
  }

  std::string ExceptionId() const override { return exceptionID_; }

  void ListModulesAndProcesses() override {
    Guarded([&] {
      RefreshModulesList();
      listedModules_ = true;
    });
    Guarded([&] {
      RefreshProcessesList();
      listedProcesses_ = true;
    });
  }

  BugReport Compose(const TCaptureInfo& capture, const TTarvexModuleOptions& options,
                    double exceptionTime) override {
    BugReport report;
    Guarded([&] {
      GatherExceptionFacts(capture);
      // A module first named here after the refresh was built again and appended: keep the table's order.
      if (listedModules_) ModulesList().SortByHandle();
      GatherProcessFacts(capture, options, exceptionTime);
      report = ComposeBugReport(facts_);
    });
    return report;
  }

  const ReportFacts& Facts() const override { return facts_; }

 private:
  // What the exception ID needs: the main module, the exception module and type.
  void GatherExceptionFacts(const TCaptureInfo& capture) {
    facts_.exceptionAddress = capture.Address;
    facts_.exceptionType = capture.Object ? capture.Object->ClassName() : kUnknownExceptionType;
    Guarded([&] {
      if (const TTarvexModuleInfo* main = FindModuleInfo(uint32_t(uintptr_t(GetModuleHandleA(nullptr))))) {
        facts_.mainModule = ReportModuleOf(*main);
        facts_.compileTime = CompileTimeOf(*main);
      }
    });
    Guarded([&] {
      facts_.exceptionModule.reset();
      if (const TTarvexModuleInfo* module = FindModuleInfo(capture.Address))
        facts_.exceptionModule = ReportModuleOf(*module);
    });
  }

  void GatherProcessFacts(const TCaptureInfo& capture, const TTarvexModuleOptions& options, double exceptionTime) {
    facts_.options = &options;
    facts_.exceptionTime = exceptionTime;
    Guarded([&] { facts_.startTime = ProcessStartTime(); });
    Guarded([&] { facts_.zoneHours = LocalZoneHours(); });
    Guarded([&] { facts_.commandLine = GetCommandLineA(); });
    Guarded([&] {
      std::optional<AccessFault> fault;
      if (capture.OsRecord) fault = AccessFaultOf(*static_cast<const EXCEPTION_RECORD*>(capture.OsRecord));
      facts_.exceptionMessage = ExceptionMessage(capture.Object, fault);
    });
    Guarded([&] { ReadForegroundWindow(facts_.foregroundClass, facts_.foregroundText); });
    facts_.focusClass = capture.FocusClass;
    facts_.focusText = capture.FocusText;
    Guarded([&] { facts_.showsActiveControls = !IsConsoleProgram(); });
    Guarded([&] { facts_.system = GatherSystemFacts(WindowsSystemQuery()); });
    facts_.stack = stack_.get();
    facts_.modules = listedModules_ ? &ModulesList() : nullptr;
    facts_.processes = listedProcesses_ ? &ProcessesList() : nullptr;
    Guarded([&] {
      facts_.threadDetails = [lookup = ThisProcessThreadLookup(MainThreadId())](uint32_t threadID) {
        return DescribeThread(lookup, threadID);
      };
    });
    facts_.memory = &ThisProcessMemory();
    Guarded([&] { facts_.registers = RegistersOf(capture.Context); });
    facts_.stackPointer = capture.StackPointer;
    facts_.locate = [threadID = capture.ThreadId](uint32_t address, TTarvexStackItem& item) {
      LocateAddress(ProcessCallStackContext(), address, threadID, item, false, 1);
    };
  }

  // The upper end of the raising thread's stack: recorded at the raise, else
  // by the thread's own entry, else the end of its committed stack.
  static uint32_t RaisingStackTop(const TCaptureInfo& capture, const TTarvexThreadsList& snapshot) {
    if (capture.StackBase != 0) return capture.StackBase;
    if (const int index = snapshot.IndexOfThreadID(capture.ThreadId); index >= 0 && snapshot[index].StackTop != 0)
      return snapshot[index].StackTop;
    if (capture.ThreadId == GetCurrentThreadId()) return CurrentThreadStackTop();
    return CommittedStackEnd(ThisProcessMemory(), capture.StackPointer);
  }

  ReportFacts facts_;
  std::unique_ptr<TTarvexStackList> stack_;
  std::string exceptionID_;
  bool listedModules_ = false, listedProcesses_ = false;
};

}  // namespace

std::unique_ptr<TReportBuilder> MakeLiveReportBuilder() { return std::make_unique<TLiveReportBuilder>(); }

}  // namespace tarvex
