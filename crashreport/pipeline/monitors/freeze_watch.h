// The freeze monitor's loop over small interfaces: it finds the main window,
// probes it, sleeps and reports as FreezePolicy decides, until terminated.
#pragma once

#include <cstdint>

#include "crashreport/pipeline/monitors/freeze_policy.h"

namespace tarvex {

// The process's main window.
class MainWindowProber {
 public:
  virtual ~MainWindowProber() = default;
  // Looks the main window up again; false when there is none.
  virtual bool FindMainWindow() = 0;
  // Sends the found window a message that does nothing, waiting at most
  // FreezePolicy::kProbeMs for its thread to take it.
  virtual WindowAnswer Probe() = 0;
};

class MonotonicClock {
 public:
  virtual ~MonotonicClock() = default;
  virtual uint64_t NowMs() = 0;
};

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void SleepMs(uint32_t ms) = 0;
};

// The monitor's own side: its terminate flag, the time-out option (read on
// every probe) and the report of a freeze.
class FreezeWatcher {
 public:
  virtual ~FreezeWatcher() = default;
  virtual bool Terminated() = 0;
  virtual int32_t TimeoutSeconds() = 0;
  virtual void ReportFreeze() = 0;
};

struct FreezeWatchParts {
  MainWindowProber& window;
  MonotonicClock& clock;
  Sleeper& sleeper;
  FreezeWatcher& watcher;
};

// Sleeps in FreezePolicy::kStepMs steps until there is a main window; false
// when terminated first.
bool WaitForMainWindow(const FreezeWatchParts& parts);

// The loop; returns once the watcher is terminated (within one step of it).
void RunFreezeWatch(const FreezeWatchParts& parts);

}  // namespace tarvex
