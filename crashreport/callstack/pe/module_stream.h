// THModuleStream: a read-only stream over a block of the process's own memory
// (a module image from its load address, or a part of it). Every read checks
// readability first and fails instead of faulting.
#pragma once

#include <cstdint>
#include <vector>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

class THModuleStream {
 public:
  THModuleStream(const MemorySpace& memory, uint32_t base, uint32_t size) : memory_(memory), base_(base), size_(size) {}

  uint32_t Size() const { return size_; }
  uint32_t Position() const { return position_; }
  bool Seek(uint32_t position) { return position <= size_ ? (position_ = position, true) : false; }

  // Reads `count` bytes at the position and advances; false (nothing read)
  // when they are outside the block or not readable.
  bool Read(void* out, uint32_t count);
  template <typename T>
  bool ReadValue(T& value) {
    return Read(&value, sizeof value);
  }
  // `count` bytes from `position` into `out`; false when not all readable.
  bool ReadBlock(uint32_t position, uint32_t count, std::vector<uint8_t>& out);

 private:
  const MemorySpace& memory_;
  uint32_t base_;
  uint32_t size_;
  uint32_t position_ = 0;
};

}  // namespace tarvex
