#include "rtl/convert.h"

#include <string>

#include "rtl/exception.h"

namespace rtl {

namespace {

int DigitValue(char c, int base) noexcept {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<int32_t> TryStrToInt(std::string_view text) noexcept {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;

  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }

  if (i == text.size()) return std::nullopt;  // no digits at all

  // Decimal magnitudes may reach 2^31 (for the negative end of the range);
  // hexadecimal ones the full 32 bits.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (magnitude > limit) return std::nullopt;
  }

  const uint32_t bits = static_cast<uint32_t>(magnitude);
  return static_cast<int32_t>(negative ? 0u - bits : bits);
}

int32_t StrToInt(std::string_view text) {
  if (auto value = TryStrToInt(text)) return *value;
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace rtl
