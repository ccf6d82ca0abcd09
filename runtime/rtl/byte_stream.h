// Little-endian byte streams over memory.
//
// ByteReader walks a block of bytes it does not own; every read that would
// pass the end raises EReadError and consumes nothing, so a caller can keep
// whatever it read before. Lengths taken from the data are checked against
// what is left before anything is allocated. ByteWriter appends to a vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rtl {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t Position() const { return position_; }
  size_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ == bytes_.size(); }

  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  uint64_t ReadU64();
  // `count` bytes as a view into the underlying block.
  std::span<const uint8_t> ReadBytes(size_t count);
  void Skip(size_t count) { ReadBytes(count); }

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
};

class ByteWriter {
 public:
  void WriteU8(uint8_t value) { bytes_.push_back(value); }
  void WriteU16(uint16_t value);
  void WriteU32(uint32_t value);
  void WriteI32(int32_t value) { WriteU32(static_cast<uint32_t>(value)); }
  void WriteU64(uint64_t value);
  void WriteBytes(std::span<const uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace rtl
