// Text for a length of time, as the bug report prints up times.
#pragma once

#include <string>

namespace tarvex {

// `days` (a floating number of days) as "1 day, 2 hours, 5 seconds": days,
// hours and minutes appear only when not 0, seconds always ("0 second"); a
// unit word takes "s" above 1. The time is rounded to the millisecond before
// it is split, so 61 seconds read back as "1 minute, 1 second". A negative or
// non-finite span (a clock set back) prints as "0 second".
std::string FormatTimeSpan(double days);

}  // namespace tarvex
