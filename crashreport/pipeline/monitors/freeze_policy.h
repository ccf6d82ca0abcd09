// When a main window that stops answering counts as frozen: the silent time
// of consecutive unanswered probes against the time-out, one report per
// time-out period.
#pragma once

#include <cstdint>

namespace tarvex {

// What one probe of the main window found.
enum class WindowAnswer {
  Answered,  // the window's thread took the message within the probe time
  Silent,    // it did not (time-out)
  Gone,      // the window no longer exists
};

enum class FreezeAction {
  Rest,           // answered: rest kRestSteps x kStepMs before the next probe
  ProbeAgain,     // silent, but not yet for the time-out
  Report,         // silent for the whole time-out: report the freeze, then count from 0
  WaitForWindow,  // no window to probe: wait for one
};

class FreezePolicy {
 public:
  static constexpr uint32_t kProbeMs = 50;  // the probe's own time-out, and the shortest probe
  static constexpr uint32_t kStepMs = 50;   // the monitor's sleeps, checking its terminate flag between them
  static constexpr uint32_t kRestSteps = 6;

  // `elapsedMs`: the real time the probe took (at least kProbeMs for a silent
  // one); `timeoutMs`: the time-out in force now.
  FreezeAction AfterProbe(WindowAnswer answer, uint32_t elapsedMs, uint32_t timeoutMs);
  uint64_t SilentMs() const { return silentMs_; }

 private:
  uint64_t silentMs_ = 0;  // wide: a silent time just short of the longest time-out plus a long probe
};

// The time-out in milliseconds for the option in whole seconds; at least one
// second (a time-out of 0 or below would report every probe).
uint32_t FreezeTimeoutMs(int32_t seconds);

}  // namespace tarvex
