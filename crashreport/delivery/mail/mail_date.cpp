#include "crashreport/delivery/mail/mail_date.h"

#include <cstdlib>

#include "rtl/format.h"

namespace tarvex {

namespace {

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

int DayOfWeek(int year, int month, int day) {
  // Days since 1970-01-01 (a Thursday) by the civil-calendar count of March-based years.
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long days = static_cast<long>(era) * 146097 + dayOfEra - 719468;
  return static_cast<int>(((days % 7) + 11) % 7);
}

std::string MailDate(const MailTime& local, int zoneMinutes) {
  const int month = local.Month >= 1 && local.Month <= 12 ? local.Month : 1;
  const int offset = std::abs(zoneMinutes);
  return rtl::Format("%s, %d %s %d %02d:%02d:%02d %s%02d%02d", kWeekdays[DayOfWeek(local.Year, month, local.Day)],
                     local.Day, kMonths[month - 1], local.Year, local.Hour, local.Minute, local.Second,
                     zoneMinutes < 0 ? "-" : "+", offset / 60, offset % 60);
}

}  // namespace tarvex
