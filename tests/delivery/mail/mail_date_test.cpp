#include "crashreport/delivery/mail/mail_date.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(MailDate, Table) {
  const struct {
    MailTime time;
    int zone;
    const char* expected;
  } cases[] = {
      {{2026, 3, 3, 9, 5, 7}, 0, "Tue, 3 Mar 2026 09:05:07 +0000"},
      {{2024, 2, 29, 23, 59, 59}, 480, "Thu, 29 Feb 2024 23:59:59 +0800"},
      {{2000, 1, 1, 0, 0, 0}, -300, "Sat, 1 Jan 2000 00:00:00 -0500"},
      {{2023, 12, 31, 12, 30, 0}, 330, "Sun, 31 Dec 2023 12:30:00 +0530"},
      {{1999, 6, 14, 1, 2, 3}, -570, "Mon, 14 Jun 1999 01:02:03 -0930"},
      {{2025, 4, 16, 8, 0, 0}, 345, "Wed, 16 Apr 2025 08:00:00 +0545"},
      {{2100, 5, 7, 10, 11, 12}, 840, "Fri, 7 May 2100 10:11:12 +1400"},
      {{1970, 7, 4, 0, 0, 0}, -720, "Sat, 4 Jul 1970 00:00:00 -1200"},
      {{2026, 8, 9, 0, 0, 0}, -30, "Sun, 9 Aug 2026 00:00:00 -0030"},
      {{2026, 9, 10, 0, 0, 0}, 60, "Thu, 10 Sep 2026 00:00:00 +0100"},
      {{2026, 10, 30, 0, 0, 0}, 0, "Fri, 30 Oct 2026 00:00:00 +0000"},
      {{2026, 11, 2, 0, 0, 0}, 0, "Mon, 2 Nov 2026 00:00:00 +0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(MailDate(c.time, c.zone), c.expected) << c.expected;
}

}  // namespace
}  // namespace tarvex
