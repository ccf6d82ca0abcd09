// The system's own words for an error code of GetLastError.
#pragma once

#include <windows.h>

#include <string>

namespace tarvex {

// The system message for `code` without its line end; "error N" when the
// system has none.
std::string SystemErrorText(DWORD code);

}  // namespace tarvex
