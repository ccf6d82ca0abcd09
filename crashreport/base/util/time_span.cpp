#include "crashreport/base/util/time_span.h"

#include <cmath>
#include <cstdint>

#include "rtl/format.h"

namespace tarvex {
namespace {

void AppendUnit(std::string& text, int64_t value, const char* unit, bool last) {
  text += rtl::Format("%lld %s%s", static_cast<long long>(value), unit, value > 1 ? "s" : "");
  if (!last) text += ", ";
}

}  // namespace

std::string FormatTimeSpan(double days) {
  constexpr double kMillisecondsPerDay = 86'400'000.0;
  // Far beyond any up time, and well inside int64 after the multiplication.
  constexpr double kLongestDays = 1e9;
  const int64_t total =
      std::isfinite(days) && days > 0 ? std::llround(std::fmin(days, kLongestDays) * kMillisecondsPerDay) : 0;
  const int64_t seconds = total / 1000;
  std::string text;
  if (const int64_t d = seconds / 86400; d > 0) AppendUnit(text, d, "day", false);
  if (const int64_t h = seconds / 3600 % 24; h > 0) AppendUnit(text, h, "hour", false);
  if (const int64_t m = seconds / 60 % 60; m > 0) AppendUnit(text, m, "minute", false);
  AppendUnit(text, seconds % 60, "second", true);
  return text;
}

}  // namespace tarvex
