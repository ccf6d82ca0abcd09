// Value formatters of the bug report: dates, table cells, one-line texts.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

// A date-time as days since 1899-12-30 (the fraction is the time of day).
struct CivilTime {
  int year, month, day, hour, minute, second, weekday;  // weekday 0 = Sunday
};
CivilTime DecodeDateTime(double days);

// "Sun, 5 Jan 2025 09:03:07 +0100"; `zoneHours` is local time minus UTC in whole hours.
std::string FormatMailDate(double days, int zoneHours);
// "yyyy-mm-dd hh:nn:ss".
std::string FormatFileDate(double days);
// Every CR, LF and "|" becomes "?", so a cell cannot break its table.
std::string SanitizeCell(std::string_view text);
// Each run of characters below 32 becomes one space.
std::string CollapseControlChars(std::string_view text);

}  // namespace tarvex
