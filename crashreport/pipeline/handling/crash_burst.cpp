#include "crashreport/pipeline/handling/crash_burst.h"

namespace tarvex {

void TCrashBurst::Add(double now, int limit) {
  times_.push_back(now);
  while (!times_.empty() && static_cast<int>(times_.size()) > (limit < 0 ? 0 : limit)) times_.pop_front();
}

bool TCrashBurst::IsBurst(int count, int minutes) const {
  if (count < 1 || static_cast<int>(times_.size()) != count) return false;
  return times_.back() - times_.front() <= minutes / 1440.0;
}

}  // namespace tarvex
