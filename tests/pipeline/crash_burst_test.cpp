#include "crashreport/pipeline/handling/crash_burst.h"

#include <gtest/gtest.h>

namespace {

using tarvex::TCrashBurst;

constexpr double kMinute = 1.0 / 1440;

TEST(CrashBurst, TenWithinOneMinuteIsABurst) {
  TCrashBurst burst;
  for (int i = 0; i < 9; ++i) {
    burst.Add(100 + i * 6 * kMinute / 60, 10);  // every 6 seconds
    EXPECT_FALSE(burst.IsBurst(10, 1)) << "after " << i + 1;
  }
  burst.Add(100 + 54.0 / 86400, 10);
  EXPECT_TRUE(burst.IsBurst(10, 1));
}

TEST(CrashBurst, KeepsOnlyTheNewestAndMeasuresFromTheOldestKept) {
  TCrashBurst burst;
  burst.Add(100, 3);
  burst.Add(100 + 5 * kMinute, 3);  // long pause
  burst.Add(100 + 5.2 * kMinute, 3);
  EXPECT_FALSE(burst.IsBurst(3, 1));
  burst.Add(100 + 5.4 * kMinute, 3);  // the first one drops out
  EXPECT_EQ(burst.Size(), 3u);
  EXPECT_TRUE(burst.IsBurst(3, 1));
}

TEST(CrashBurst, EdgeOfTheWindowAndBadCounts) {
  TCrashBurst burst;
  burst.Add(10, 2);
  burst.Add(10 + 2 * kMinute, 2);
  EXPECT_TRUE(burst.IsBurst(2, 2));
  EXPECT_FALSE(burst.IsBurst(2, 1));
  EXPECT_FALSE(burst.IsBurst(3, 5)) << "fewer times held than the count";
  EXPECT_FALSE(burst.IsBurst(0, 5));
  burst.Add(11, 0);
  EXPECT_EQ(burst.Size(), 0u);
}

}  // namespace
