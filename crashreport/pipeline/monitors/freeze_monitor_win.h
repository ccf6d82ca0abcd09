// The freeze monitor: a thread that probes the main window and, when it has
// not answered for the time-out, reports EFrozenApplication at the main
// thread's instruction through the front door, once per time-out period.
#pragma once

namespace tarvex {

class TTarvexModuleOptions;

struct TFreezeMonitorSetup {
  // Read on every pass (FreezeWatch, FreezeSeconds, BehaviourFlags, the text
  // mtApplicationFrozen); must outlive the monitor.
  const TTarvexModuleOptions* Options = nullptr;
  // The crash reporter lives in a library that carries crash reporter data of its own.
  bool LibraryWithOwnData = false;
};

// Start-up and shut-down only (before StartFreezeMonitor, after StopFreezeMonitor).
void SetFreezeMonitorSetup(const TFreezeMonitorSetup& setup);

// Starts the monitor unless one runs, the options' FreezeWatch is off, the
// host is the development environment, or a library with data of its own
// takes the main program's options (BehaviourFlags bit 3).
void StartFreezeMonitor();
// Stops the monitor and frees it: waits for its thread, or ends it at once
// when the crash reporter lives in a library (its unloading cannot wait).
// Inside a handling it only asks the monitor to end (the monitor may be the
// one waiting for that handling); the next stop outside one frees it.
void StopFreezeMonitor();
// Whether a monitor exists that was not asked to end.
bool FreezeMonitorRunning();

}  // namespace tarvex
