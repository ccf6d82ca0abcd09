// Text to integer conversion with the classic runtime rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rtl {

// Reads a signed 32-bit integer: leading blanks, an optional sign, then decimal
// digits, or hexadecimal digits after a "$", "x" or "0x" prefix (either case).
// Nothing may follow the digits. Decimal values must fit the signed 32-bit
// range; hexadecimal ones the unsigned range, taken as their two's-complement
// value ("$FFFFFFFF" is -1). Returns nothing when the text breaks a rule.
std::optional<int32_t> TryStrToInt(std::string_view text) noexcept;

// As TryStrToInt; raises EConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(std::string_view text);

}  // namespace rtl
