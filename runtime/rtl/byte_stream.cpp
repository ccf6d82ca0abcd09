#include "rtl/byte_stream.h"

#include "rtl/exception.h"

namespace rtl {

std::span<const uint8_t> ByteReader::ReadBytes(size_t count) {
  if (count > Remaining())
    throw EReadError("Stream read error: " + std::to_string(count) + " bytes wanted at offset " +
                     std::to_string(position_) + ", " + std::to_string(Remaining()) + " left");
  const auto bytes = bytes_.subspan(position_, count);
  position_ += count;
  return bytes;
}

uint8_t ByteReader::ReadU8() { return ReadBytes(1)[0]; }

uint16_t ByteReader::ReadU16() {
  const auto b = ReadBytes(2);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t ByteReader::ReadU32() {
  const auto b = ReadBytes(4);
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

uint64_t ByteReader::ReadU64() {
  const auto b = ReadBytes(8);
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | b[i];
  return value;
}

void ByteWriter::WriteU16(uint16_t value) {
  WriteU8(static_cast<uint8_t>(value));
  WriteU8(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::WriteU32(uint32_t value) {
  WriteU16(static_cast<uint16_t>(value));
  WriteU16(static_cast<uint16_t>(value >> 16));
}

void ByteWriter::WriteU64(uint64_t value) {
  WriteU32(static_cast<uint32_t>(value));
  WriteU32(static_cast<uint32_t>(value >> 32));
}

}  // namespace rtl
