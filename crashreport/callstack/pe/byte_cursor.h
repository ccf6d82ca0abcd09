// Bounds-checked little-endian reading of a byte block.
//
// Every debug information reader parses untrusted bytes through a ByteCursor:
// a read past the end (or a seek outside the block) fails, leaves the output
// zeroed and marks the cursor failed, so a corrupt block ends in an empty
// answer instead of a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "crashreport/base/util/little_endian.h"

namespace tarvex {

class ByteCursor {
 public:
  ByteCursor() = default;
  explicit ByteCursor(std::span<const uint8_t> bytes, uint64_t position = 0) : bytes_(bytes) { Seek(position); }

  size_t Position() const { return position_; }
  size_t Size() const { return bytes_.size(); }
  size_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ >= bytes_.size(); }
  bool Ok() const { return ok_; }

  bool Seek(uint64_t position) {
    if (position > bytes_.size()) return ok_ = false;
    position_ = static_cast<size_t>(position);
    return true;
  }
  bool Skip(uint64_t count) { return count <= Remaining() ? Seek(position_ + count) : (ok_ = false); }

  bool Read(void* out, size_t count) {
    if (count > Remaining()) {
      std::memset(out, 0, count);
      return ok_ = false;
    }
    if (count != 0) std::memcpy(out, bytes_.data() + position_, count);
    position_ += count;
    return true;
  }
  uint8_t U8() { return ReadLittleEndian<uint8_t>(); }
  uint16_t U16() { return ReadLittleEndian<uint16_t>(); }
  uint32_t U32() { return ReadLittleEndian<uint32_t>(); }
  // `count` bytes as a string; empty (and failed) when they are not all there.
  std::string Text(size_t count) {
    if (count > Remaining()) return ok_ = false, std::string();
    std::string text(reinterpret_cast<const char*>(bytes_.data() + position_), count);
    position_ += count;
    return text;
  }

 private:
  template <typename T>
  T ReadLittleEndian() {
    uint8_t raw[sizeof(T)];
    Read(raw, sizeof raw);
    return static_cast<T>(LittleEndian(raw));
  }

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace tarvex
