// The parts of the crash reporter that the handling uses beyond the report
// builder and the dialogs (handling_services.h): where options come from, the
// log, the screenshot, the error page and delivery. Start-up binds the real
// ones; tests give recording ones.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "crashreport/pipeline/handling/exception_events.h"
#include "crashreport/pipeline/handling/report_log.h"
#include "crashreport/report/composer/bug_report.h"

namespace tarvex {

class TTarvexModuleOptions;

// The options and event handlers of the modules that carry crash reporter data.
class TModuleOptionsSource {
 public:
  virtual ~TModuleOptionsSource() = default;
  // The event handlers that the module holding `address` exports, when it is
  // not the running module and carries data of a compatible version; nullptr
  // otherwise. Valid until the next call.
  virtual const TTarvexEvents* EventExportsAt(uint32_t address) = 0;
  // The options of the module that holds `address`; nullptr when no module
  // holds it or it has no options.
  virtual const TTarvexModuleOptions* OptionsAt(uint32_t address) = 0;
  // The main program's options; nullptr when it has none.
  virtual const TTarvexModuleOptions* MainProgramOptions() = 0;
};

// The log file of stored reports, as the handling's steps use it. The log's
// name follows from the options.
class THandlingLog {
 public:
  virtual ~THandlingLog() = default;
  // Whether a stored report has the exception ID `id`; with `count`, the
  // stored report's count is raised by one and the log saved.
  virtual bool FindDuplicate(const TTarvexModuleOptions& options, const std::string& id, bool count) = 0;
  // Deletes the log when its newest report names another program version than `version`.
  virtual void ClearOnNewVersion(const TTarvexModuleOptions& options, const std::string& version) = 0;
  // The log the options name, for saving the report (SaveToLog).
  virtual TReportLog& ReportLog(const TTarvexModuleOptions& options) = 0;
};

// The screen at the moment of the exception.
class TScreenshotTaker {
 public:
  virtual ~TScreenshotTaker() = default;
  virtual void Capture(const TTarvexModuleOptions& options) = 0;
  virtual void SaveForSending() = 0;     // the temporary file delivery attaches
  virtual void Free() = 0;
  virtual void DeleteSaved() = 0;
};

// The error page of a web server application.
class TErrorPage {
 public:
  virtual ~TErrorPage() = default;
  virtual void Send(const BugReport& report) = 0;
};

// What sending one report needs of its handling.
struct TDeliveryRequest {
  const TTarvexModuleOptions* Options = nullptr;  // the exception's options; a background delivery copies them
  std::string ReportText;
  std::string WholeLog;      // not empty: the whole log goes instead of the report
  TEventRoute* Events = nullptr;
  TExceptionInfo Info;       // what the delivery's events receive
  std::string Version;       // the program's version, for a bug tracker's summary
  std::string ExceptionType; // the exception's class name, for the same
  double ExceptionTime = 0;  // local time, days since 1899-12-30
  bool ScreenshotSaved = false;  // the screenshot file waits in the temporary folder
  std::string LastHTMLPage;  // a web server application's last page; empty: none
  bool Inline = false;       // handled on the raising thread
  bool DialogsAllowed = true;  // the progress dialog and the result boxes may show
  bool InBackground = false;
  // A background delivery calls this at its end, under the handler lock: it
  // ends the handling that the send left open.
  std::function<void()> Finished;
};

// Sending the report.
class TReportDelivery {
 public:
  virtual ~TReportDelivery() = default;
  // Sends now; or, with InBackground and not Inline, in a thread of its own,
  // returning at once.
  virtual void Deliver(TDeliveryRequest request) = 0;
};

}  // namespace tarvex
