// Conversions between the runtime's 8-bit strings and the wide (UTF-16) text
// of the Win32 API.
#pragma once

#include <string>
#include <string_view>

namespace rtl::gui {

std::wstring Utf8ToWide(std::string_view text);

// The system's ANSI code page: the encoding of the runtime's strings.
std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);

}  // namespace rtl::gui
