// The front door of the handling: every interception point hands its
// exception here, in the thread that raised it.
#pragma once

#include <windows.h>

#include <functional>

#include "crashreport/core/pipeline/capture_info.h"
#include "crashreport/core/pipeline/exception_processor.h"

namespace tarvex {

struct TFrontDoorState {
  bool Installed = false;
  bool OptionsActive = true;
  bool ReportSafeCall = false;  // BehaviourFlags bit 6
  bool InCurrentThread = false; // a leak report, or a library starting up or shutting down
  bool MainThreadPaused = false;// the options suspend the main thread during the handling
};

// Returns true for the ordinary handling, false when the exception was dealt
// with (or dropped: a nested exception in a thread that is already handling).
bool EnterHandling(TCaptureInfo capture, const TFrontDoorState& state, TExceptionProcessor& processor);

// Whether `object` may be handled at all: a live object that is not EAbort or derived.
bool IsManageable(const rtl::Exception* object);

// The id of the program's main thread (the first one registered; set at start-up).
DWORD MainThreadId();
void SetMainThreadId(DWORD threadId);

}  // namespace tarvex
