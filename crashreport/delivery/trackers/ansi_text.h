// The program's texts are in the system's ANSI code page; trackers whose
// forms expect UTF-8 get them converted.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

// `ansi` from the ANSI code page to UTF-8; unchanged when it is plain ASCII
// or cannot be converted.
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace tarvex
