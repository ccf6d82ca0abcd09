// The steps a user takes from the calculator's failure to its detailed
// dialog, shared by the crash dialog tests and the screenshot tour.
#pragma once

#include <windows.h>

#include "tests/e2e/calc_driver.h"

namespace e2e {

// Types `shape` (not a number) as a Shape and presses Convert; the crash dialog that follows.
HWND FailConversion(const CalcDriver& calc, const wchar_t* shape);
// Clicks the simple dialog's details link; the detailed dialog that follows (nullptr when none).
HWND FollowDetailsLink(const CalcDriver& calc, HWND simple);
// Selects page `tab` of the detailed dialog; its content (a list or rich
// text) once it shows rows or text, nullptr when it does not in time.
HWND ShowPage(HWND detailed, int tab);
// Unticks the detailed dialog's send box (the calculator as shipped hands a
// report to the user's mail client) and presses OK; false when it stays.
bool CloseDetailedWithoutSending(HWND detailed);

}  // namespace e2e
