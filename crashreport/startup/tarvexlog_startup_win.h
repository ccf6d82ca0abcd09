// Starting and stopping the crash reporter in a program: one call with the
// parts it works with, made before the program's windows exist, and one at
// its end.
#pragma once

#include "crashreport/pipeline/handling/exception_events.h"
#include "crashreport/pipeline/handling/exception_handling.h"
#include "crashreport/pipeline/handling/handling_parts.h"
#include "crashreport/pipeline/handling/handling_services.h"
#include "crashreport/pipeline/handling/handling_system.h"

namespace tarvex {

class MacroValues;

// The parts of the handling. The report builder and the dialogs are needed;
// every other part left null is this library's own (the system, the log
// file, the modules' options, the screenshot, delivery), or none at all (the
// error page). The parts must outlive StopTarvexLog.
struct TTarvexLogParts {
  TReportBuilder* Builder = nullptr;
  TExceptionDialogs* Dialogs = nullptr;
  TReportDelivery* Delivery = nullptr;
  TErrorPage* ErrorPage = nullptr;
  THandlingSystem* System = nullptr;
  THandlingLog* Log = nullptr;
  TModuleOptionsSource* Options = nullptr;
  TScreenshotTaker* Screenshot = nullptr;
  const MacroValues* Macros = nullptr;
};

struct TTarvexLogStatus {
  bool Installed = false;            // the module carries usable crash reporter data and the handling runs
  bool IsForwardingLibrary = false;  // a library that hands everything to its program's crash reporter
  bool StartingUp = false;
  bool ShuttingDown = false;
};

// Start-up: decides forwarding, checks the module's embedded data, creates
// the lists, the current options and the handling, registers the main thread
// (the calling one) and installs the interception points. Returns Installed.
// A second call without StopTarvexLog does nothing.
bool StartTarvexLog(const TTarvexLogParts& parts);

// Shut-down: removes the interception points, frees what start-up made and
// removes this module's shared block.
void StopTarvexLog();

const TTarvexLogStatus& TarvexLogStatus();
// Where the program registers its event handlers; valid between start and stop.
TEventRoute* TarvexLogEvents();
TExceptionHandling* TarvexLogHandling();

}  // namespace tarvex
