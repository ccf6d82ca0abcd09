#include "crashreport/report/composer/report_formatters.h"

#include <cmath>
#include <cstdint>

#include "rtl/format.h"

namespace tarvex {

namespace {

// Days from 1970-01-01 to 1899-12-30.
constexpr int64_t kEpochShift = -25569;

// Gregorian date of a day count from 1970-01-01 (the well-known civil-from-days rule).
void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

CivilTime DecodeDateTime(double days) {
  if (!std::isfinite(days) || std::fabs(days) > 3e6) days = 0;
  // Whole seconds, rounded to the millisecond first so 0.9999999 s does not read as 0.
  const int64_t millis = std::llround(days * 86400000.0);
  int64_t seconds = millis / 1000 - (millis % 1000 < 0 ? 1 : 0);
  int64_t dayCount = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
  int64_t secondOfDay = seconds - dayCount * 86400;
  CivilTime t{};
  CivilFromDays(dayCount + kEpochShift, t.year, t.month, t.day);
  t.hour = int(secondOfDay / 3600);
  t.minute = int(secondOfDay / 60 % 60);
  t.second = int(secondOfDay % 60);
  t.weekday = int(((dayCount + kEpochShift) % 7 + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  return t;
}

std::string FormatMailDate(double days, int zoneHours) {
  static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const CivilTime t = DecodeDateTime(days);
  std::string zone = (zoneHours >= 0 ? "+" : "-") + std::to_string(std::abs(zoneHours));
  if (zone.size() == 2) zone.insert(1, "0");
  zone += "00";
  return rtl::Format("%s, %d %s %d %02d:%02d:%02d %s", kWeekdays[t.weekday], t.day, kMonths[t.month - 1],
                     t.year, t.hour, t.minute, t.second, zone.c_str());
}

std::string FormatFileDate(double days) {
  const CivilTime t = DecodeDateTime(days);
  return rtl::Format("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string SanitizeCell(std::string_view text) {
  std::string cell(text);
  for (char& c : cell)
    if (c == '\r' || c == '\n' || c == '|') c = '?';
  return cell;
}

std::string CollapseControlChars(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool inRun = false;
  for (char c : text) {
    const bool control = static_cast<unsigned char>(c) < 32;
    if (control && !inRun) out += ' ';
    if (!control) out += c;
    inRun = control;
  }
  return out;
}

}  // namespace tarvex
