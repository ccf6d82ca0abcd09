#include "crashreport/base/util/time_span.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

using tarvex::FormatTimeSpan;

constexpr double kSecond = 1.0 / 86400;

TEST(FormatTimeSpan, PrintsOnlyTheUnitsThatAreNotZeroAndAlwaysSeconds) {
  const struct {
    double days;
    const char* text;
  } cases[] = {
      {0, "0 second"},
      {0.4 * kSecond, "0 second"},
      {kSecond, "1 second"},
      {2 * kSecond, "2 seconds"},
      {61 * kSecond, "1 minute, 1 second"},
      {3600 * kSecond, "1 hour, 0 second"},
      {1 + 2.0 / 24 + 5 * kSecond, "1 day, 2 hours, 5 seconds"},
      {2 + 3.0 / 24 + 4.0 / 1440 + 5 * kSecond, "2 days, 3 hours, 4 minutes, 5 seconds"},
      {1, "1 day, 0 second"},
      {59.9996 * kSecond, "1 minute, 0 second"},  // rounded to the millisecond first
      {49.7 , "49 days, 16 hours, 48 minutes, 0 second"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatTimeSpan(c.days), c.text) << c.days;
}

TEST(FormatTimeSpan, NegativeOrUnrepresentableSpansPrintZero) {
  for (double days : {-1.0, -kSecond, std::nan(""), -HUGE_VAL, HUGE_VAL})
    EXPECT_EQ(FormatTimeSpan(days), "0 second") << days;
  EXPECT_EQ(FormatTimeSpan(1e300), "1000000000 days, 0 second");  // capped, not overflowed
}

}  // namespace
