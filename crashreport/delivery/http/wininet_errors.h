// Texts of the Internet library's error codes (12001 to 12171).
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

inline constexpr int kWinInetErrorCount = 76;

// The text of `code`; empty when the table has none.
std::string WinInetErrorText(uint32_t code);

}  // namespace tarvex
