// The front door of the handling: every interception point hands its
// exception here, in the thread that raised it.
#pragma once

#include <windows.h>

#include <functional>

#include "crashreport/pipeline/handling/capture_info.h"
#include "crashreport/pipeline/handling/end_of_catch_rule.h"
#include "crashreport/pipeline/handling/exception_processor.h"

namespace tarvex {

struct TFrontDoorState {
  bool Installed = false;
  bool OptionsActive = true;
  bool ReportSafeCall = false;  // BehaviourFlags bit 6
  bool InCurrentThread = false; // a leak report, or a library starting up or shutting down
  bool MainThreadPaused = false;// the options suspend the main thread during the handling
  bool ReportCaught = false;    // BehaviourFlags bit 8: caught exceptions are reported at the end of their handler block
  bool ForwardingLibrary = false;  // this module forwards every exception to the program's exports
};

// Returns true for the ordinary handling, false when the exception was dealt
// with (or dropped: a nested exception in a thread that is already handling).
bool EnterHandling(TCaptureInfo capture, const TFrontDoorState& state, TExceptionProcessor& processor);

// The processor and state that the installed interception points deliver to
// (the state is copied; nullptr processor: none installed).
void SetInterceptionTarget(TExceptionProcessor* processor, const TFrontDoorState& state);
// The installed state; nullptr when no interception points are installed.
const TFrontDoorState* InterceptionState();
// EnterHandling with the installed processor and state; true (the ordinary
// handling) when none is installed.
bool EnterInstalledHandling(const TCaptureInfo& capture);

// The exception the front door last took in the calling thread without the
// handled flag: its end of catch and its thread's end do not report it again.
const TLastReported& LastReportedInThread();

// Whether `object` may be handled at all: a live object that is not EAbort or derived.
bool IsManageable(const rtl::Exception* object);

// The id of the program's main thread (the first one registered; set at start-up).
DWORD MainThreadId();
void SetMainThreadId(DWORD threadId);

}  // namespace tarvex
