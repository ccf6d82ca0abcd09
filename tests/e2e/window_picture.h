// Pictures of the program's windows for the documentation.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Saves the window's rectangle as the screen shows it, once its thread has
// painted, as a bottom-up 24-bit BMP file; false when it could not.
bool SaveWindowPicture(HWND window, const std::wstring& path);

}  // namespace e2e
