// What the handling asks of the parts around it: the report of the
// exception, and the dialogs. The handling calls them only through these
// interfaces; the library's start-up binds the real ones, and tests put
// recording ones in their place.
#pragma once

#include <functional>
#include <string>

#include "crashreport/base/options/option_types.h"
#include "crashreport/pipeline/handling/capture_info.h"
#include "crashreport/report/composer/bug_report.h"
#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

class TTarvexModuleOptions;

// The report of one exception, built in the handler thread in three steps.
class TReportBuilder {
 public:
  virtual ~TReportBuilder() = default;

  // Traces the raising thread's call stack (from the capture's stack copy and
  // context), computes the exception ID, then traces every other thread the
  // options admit, each suspended only for its own trace.
  virtual void TraceCallStacks(const TCaptureInfo& capture, const TTarvexModuleOptions& options) = 0;
  virtual std::string ExceptionId() const = 0;  // 4 hexadecimal digits; empty before tracing

  // Builds the modules and processes lists.
  virtual void ListModulesAndProcesses() = 0;

  // Composes the report from what was gathered. Never raises.
  virtual BugReport Compose(const TCaptureInfo& capture, const TTarvexModuleOptions& options,
                            double exceptionTime) = 0;

  // The facts of the last Compose: the lists and options the detailed dialog shows.
  virtual const ReportFacts& Facts() const = 0;
};

// One showing of the exception dialogs: what they show, and what the user decided.
struct TDialogSession {
  // In, written by the dialogs: the user's e-mail and reproduce text go into
  // the options, the e-mail also into the report (SetUserEmail).
  TTarvexModuleOptions* Options = nullptr;
  BugReport* Report = nullptr;
  const ReportFacts* Facts = nullptr;   // call stack, modules, processes, CPU for the detailed dialog
  std::string ShownMessage;             // the filter's custom message, else the exception message
  bool Beep = true;
  bool Repeated = false;                // shown again after the simple dialog's details link
  bool IsDuplicate = false;             // the report is already in the log: sending is not offered
  int ExceptionCount = 0;               // exceptions handled in this run, this one included
  std::function<void()> OnCustomButton; // raises the custom button event in the raising thread
  // Raises the acBeforeTerminate event when the user asked for restart or termination;
  // false when a handler withdrew the request. Empty: the request stands.
  std::function<bool()> ConfirmTerminate;

  // In and out: the dialog kind copy. A dialog sets it to dkNone when it ends,
  // or to dkDetailed to have the detailed dialog follow.
  TTarvexDialogKind Kind = dkNone;

  // In and out: the decisions, preset by the handling.
  bool Send = false;
  bool AttachScreenshot = false;

  // Out
  bool TerminateRequested = false;  // the restart (or terminate) box was ticked
  bool Cancelled = false;
  bool Shown = false;               // the dialog painted itself at least once
  bool Failed = false;              // no dialog could be shown
  bool CopyToClipboard = false;
  std::string UserEmail;            // a valid address the user typed; empty when none
};

class TExceptionDialogs {
 public:
  virtual ~TExceptionDialogs() = default;
  // Shows the dialog of `session.Kind` modally, with no owner window.
  virtual void ShowExceptionDialog(TDialogSession& session) = 0;
  // Asks for the steps to reproduce; false when the user gave none or the dialog was not shown.
  virtual bool AskReproduceSteps(TDialogSession& session, std::string& steps) = 0;
};

}  // namespace tarvex
