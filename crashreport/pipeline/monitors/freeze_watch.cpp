#include "crashreport/pipeline/monitors/freeze_watch.h"

namespace tarvex {

namespace {

// Sleeps `steps` steps, stopping early when terminated.
void SleepSteps(const FreezeWatchParts& parts, uint32_t steps) {
  for (uint32_t i = 0; i < steps && !parts.watcher.Terminated(); ++i) parts.sleeper.SleepMs(FreezePolicy::kStepMs);
}

// One probe and the real time it took. A probe that fails at once (the
// window's thread is gone, or the call itself failed) is stretched to
// FreezePolicy::kProbeMs, so that no failure spins and every one counts what
// it really lasted.
uint32_t TimedProbe(const FreezeWatchParts& parts, WindowAnswer& answer) {
  const uint64_t start = parts.clock.NowMs();
  answer = parts.window.Probe();
  uint64_t elapsed = parts.clock.NowMs() - start;
  if (answer == WindowAnswer::Silent && elapsed < FreezePolicy::kProbeMs) {
    parts.sleeper.SleepMs(static_cast<uint32_t>(FreezePolicy::kProbeMs - elapsed));
    elapsed = parts.clock.NowMs() - start;
  }
  return elapsed > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(elapsed);
}

}  // namespace

bool WaitForMainWindow(const FreezeWatchParts& parts) {
  while (!parts.watcher.Terminated()) {
    if (parts.window.FindMainWindow()) return true;
    parts.sleeper.SleepMs(FreezePolicy::kStepMs);
  }
  return false;
}

void RunFreezeWatch(const FreezeWatchParts& parts) {
  FreezePolicy policy;
  bool haveWindow = false;
  while (!parts.watcher.Terminated()) {
    if (!haveWindow && !(haveWindow = WaitForMainWindow(parts))) return;
    WindowAnswer answer;
    const uint32_t elapsed = TimedProbe(parts, answer);
    const uint32_t timeoutMs = FreezeTimeoutMs(parts.watcher.TimeoutSeconds());
    const FreezeAction action = policy.AfterProbe(answer, elapsed, timeoutMs);
    if (parts.watcher.Terminated()) return;
    switch (action) {
      case FreezeAction::Rest: SleepSteps(parts, FreezePolicy::kRestSteps); break;
      case FreezeAction::ProbeAgain: break;
      case FreezeAction::Report: parts.watcher.ReportFreeze(); break;
      case FreezeAction::WaitForWindow: haveWindow = false; break;
    }
  }
}

}  // namespace tarvex
