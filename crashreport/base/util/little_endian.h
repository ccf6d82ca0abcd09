// Unsigned values stored least significant byte first, as x86 and every
// file format the crash reporter reads keep them. The caller has checked
// that the bytes are there; for untrusted blocks use ByteCursor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvex {

// The value of up to 8 bytes.
constexpr uint64_t LittleEndian(std::span<const uint8_t> bytes) noexcept {
  uint64_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

constexpr uint32_t LittleEndian32(const uint8_t* bytes) noexcept {
  return static_cast<uint32_t>(LittleEndian({bytes, 4}));
}

constexpr void PutLittleEndian32(uint8_t* at, uint32_t value) noexcept {
  for (size_t i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> 8 * i);
}

}  // namespace tarvex
