// The handling of one exception (ProcessException): its steps from choosing
// the options to the end decision, on the handler thread. It reaches the
// system through THandlingSystem and the other parts through the services;
// the step reached is kept in `Step`, so that a failure names it.
#pragma once

#include <atomic>
#include <string>

#include "crashreport/base/options/exception_filters.h"
#include "crashreport/base/options/option_types.h"
#include "crashreport/pipeline/handling/crash_burst.h"
#include "crashreport/pipeline/handling/exception_events.h"
#include "crashreport/pipeline/handling/exception_processor.h"
#include "crashreport/pipeline/handling/handling_parts.h"
#include "crashreport/pipeline/handling/handling_services.h"
#include "crashreport/pipeline/handling/handling_step.h"
#include "crashreport/pipeline/handling/handling_system.h"
#include "crashreport/pipeline/handling/output_choice.h"
#include "crashreport/report/composer/bug_report.h"

namespace tarvex {

class MacroValues;

struct THandlingServices {
  TTarvexModuleOptions* Current = nullptr;  // the process-wide current options
  TModuleOptionsSource* Options = nullptr;
  TReportBuilder* Builder = nullptr;
  TExceptionDialogs* Dialogs = nullptr;
  THandlingLog* Log = nullptr;
  TScreenshotTaker* Screenshot = nullptr;
  TErrorPage* ErrorPage = nullptr;      // nullptr: no error page (not a web server application)
  TReportDelivery* Delivery = nullptr;  // nullptr: reports are not sent
  TEventRoute* Events = nullptr;
  THandlingSystem* System = nullptr;
  const MacroValues* Macros = nullptr;
};

// The process-wide state of the handling.
struct THandlingState {
  int Step = 0;
  int ExceptionCount = 0;
  // The report of the handling in progress, kept until the next one: what
  // the dialogs show and the log, standard output and delivery get.
  BugReport LastReport;
  std::string LastExceptMessage;
  // The texts mtMultiFreeLeak and mtOverrunLeak of the exception's options, for the leak report.
  std::string MultiFreeLeakText;
  std::string OverrunLeakText;
  bool IsDuplicate = false;
  bool TerminateRequested = false;
  TTarvexTerminateAction TerminateAction = taNone;
  TCrashBurst BurstTimes;
};

class TExceptionHandling : public TExceptionProcessor {
 public:
  // Routes the events through the raising thread (see CallEvent).
  explicit TExceptionHandling(const THandlingServices& services);
  ~TExceptionHandling() override;

  // Never raises: a failure inside becomes an internal warning or, under a
  // debugger, the internal error report, and the handling ends without a
  // dialog (the result is then true: the ordinary handling runs).
  bool ProcessException(const TCaptureInfo& capture) override;
  // Resumes the paused threads and writes the internal error line for the step reached.
  void Abandoned() override;
  bool DialogShowing() const override { return dialogShowing_; }

  // Terminates or restarts when a termination was asked for; the
  // acBeforeTerminate event first, which may keep the program running.
  void EndDecision();

  THandlingState& State() { return state_; }
  const THandlingState& State() const { return state_; }
  const TExceptionInfo& Info() const { return info_; }

 private:
  struct Run;  // the facts of the handling in progress

  bool Handle(const TCaptureInfo& capture);
  void SetStep(THandlingStep step) { state_.Step = step; }
  BugReport& Report() { return state_.LastReport; }
  void ChooseOptions(uint32_t address);
  bool SendWanted() const;
  void PauseThreads(const TCaptureInfo& capture);
  void ResumeThreads();
  void ComposeReport(const TCaptureInfo& capture);
  void AddCustomData();
  void ShowDialog();
  // The report to standard output, the error page or the dialogs; a failure there is only a warning.
  void Output(TReportOutput where);
  void ShowExceptionDialogs();
  void AskReproduceSteps();
  void SaveAndSend();
  void Deliver();
  // The end of a handling whose report was sent in the background, once the send is done.
  void FinishBackgroundDelivery(TTarvexFilterAfterAction afterAction, bool endDecision);
  // The filter's terminate or restart, unless a termination is already asked for.
  void RequestAfterAction(TTarvexFilterAfterAction action);
  void CheckBurst();
  // Every event call: in the raising thread, then the duplicate flag
  // refreshed and the current options reloaded, a handler may have changed them.
  void CallEvent(const std::function<void()>& call);
  void Warn(const char* code, const char* area, const rtl::Exception* object);
  void InternalFailure(const rtl::Exception* object, const std::string& className, const std::string& message);

  THandlingServices services_;
  TTarvexModuleOptions& options_;
  THandlingSystem& system_;
  TEventRoute& events_;
  THandlingState state_;
  TExceptionInfo info_;
  std::atomic<bool> dialogShowing_{false};  // read by the waiting raising thread
  Run* run_ = nullptr;
  bool paused_ = false;  // threads are paused until ResumeThreads
};

}  // namespace tarvex
