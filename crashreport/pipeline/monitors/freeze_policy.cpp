#include "crashreport/pipeline/monitors/freeze_policy.h"

#include <algorithm>

namespace tarvex {

FreezeAction FreezePolicy::AfterProbe(WindowAnswer answer, uint32_t elapsedMs, uint32_t timeoutMs) {
  switch (answer) {
    case WindowAnswer::Answered:
      silentMs_ = 0;
      return FreezeAction::Rest;
    case WindowAnswer::Gone:
      silentMs_ = 0;
      return FreezeAction::WaitForWindow;
    case WindowAnswer::Silent:
      break;
  }
  silentMs_ += elapsedMs;
  if (silentMs_ < timeoutMs) return FreezeAction::ProbeAgain;
  silentMs_ = 0;  // a hang that lasts is reported again a whole period later
  return FreezeAction::Report;
}

uint32_t FreezeTimeoutMs(int32_t seconds) {
  constexpr int32_t kLongestSeconds = INT32_MAX / 1000;
  return static_cast<uint32_t>(std::clamp(seconds, 1, kLongestSeconds)) * 1000;
}

}  // namespace tarvex
