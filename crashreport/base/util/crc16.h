// CRC-16 with the XMODEM parameters: polynomial 0x1021, initial value 0,
// most significant bit first, no final XOR. Used for exception IDs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarvex {

uint16_t Crc16Xmodem(const void* data, size_t size, uint16_t crc = 0) noexcept;
inline uint16_t Crc16Xmodem(std::string_view bytes) noexcept { return Crc16Xmodem(bytes.data(), bytes.size()); }

}  // namespace tarvex
