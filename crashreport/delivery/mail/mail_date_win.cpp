#include <windows.h>

#include "crashreport/delivery/mail/mail_date.h"

namespace tarvex {

std::string MailDateNow() {
  // One reading of the clock in both forms, so the zone is exact (daylight
  // saving included) and the two can never straddle a minute.
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  SYSTEMTIME calendar{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &calendar)) {
    FileTimeToSystemTime(&utc, &calendar);
    local = utc;
  }
  const auto ticks = [](const FILETIME& time) {
    return static_cast<int64_t>(static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
  };
  constexpr int64_t kTicksPerMinute = 600000000;  // 100 ns ticks
  const int64_t difference = ticks(local) - ticks(utc);
  const int zoneMinutes =
      static_cast<int>((difference + (difference < 0 ? -1 : 1) * kTicksPerMinute / 2) / kTicksPerMinute);
  return MailDate({calendar.wYear, calendar.wMonth, calendar.wDay, calendar.wHour, calendar.wMinute, calendar.wSecond},
                  zoneMinutes);
}

}  // namespace tarvex
