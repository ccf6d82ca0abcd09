#include "crashreport/base/util/crc16.h"

namespace tarvex {

uint16_t Crc16Xmodem(const void* data, size_t size, uint16_t crc) noexcept {
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) {
    crc ^= uint16_t(bytes[i] << 8);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x8000) ? uint16_t(crc << 1 ^ 0x1021) : uint16_t(crc << 1);
  }
  return crc;
}

}  // namespace tarvex
