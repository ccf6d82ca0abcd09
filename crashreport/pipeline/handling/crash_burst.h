// Crash bursts: many exceptions in a short time end or restart the program.
#pragma once

#include <cstddef>
#include <deque>

namespace tarvex {

// The times (in days, the clock's floating day count) of the most recent
// handled exceptions, at most `limit` of them.
class TCrashBurst {
 public:
  // Adds `now` and drops the oldest times beyond `limit` (a limit below 1 keeps none).
  void Add(double now, int limit);
  // A burst: exactly `count` times are held and the newest minus the oldest
  // is at most `minutes` minutes.
  bool IsBurst(int count, int minutes) const;
  size_t Size() const { return times_.size(); }
  void Clear() { times_.clear(); }

 private:
  std::deque<double> times_;
};

}  // namespace tarvex
