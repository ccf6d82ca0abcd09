// The value of a mail's Date header.
#pragma once

#include <string>

namespace tarvex {

// A moment of local time as a calendar shows it.
struct MailTime {
  int Year = 0;   // four digits
  int Month = 0;  // 1 to 12
  int Day = 0;    // 1 to 31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

// "Tue, 3 Mar 2026 09:05:07 +0530": weekday (computed from the date), day,
// month, year, time, and the zone as local time minus UTC in hours and
// minutes with its sign. `zoneMinutes` is that difference in minutes.
std::string MailDate(const MailTime& local, int zoneMinutes);

// MailDate of this moment with the system's zone (Windows: mail_date_win.cpp).
std::string MailDateNow();

// Day of the week of a Gregorian date, 0 for Sunday.
int DayOfWeek(int year, int month, int day);

}  // namespace tarvex
