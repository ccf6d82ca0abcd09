// Reading the headers of a loaded PE image through its memory, checked at
// every step: "MZ" at the image start, the header offset at byte 60, and the
// signature "PE\0\0" there.
#pragma once

#include <cstdint>
#include <string_view>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

struct TVXPeSection {
  char Name[8] = {};
  uint32_t VirtualSize = 0;
  uint32_t VirtualAddress = 0;
  uint32_t RawSize = 0;
  uint32_t RawPointer = 0;
};

class TVXPeImage {
 public:
  // Reads the headers of the image loaded at `handle`; Valid() tells whether they passed.
  TVXPeImage(const MemorySpace& memory, uint32_t handle);

  bool Valid() const { return valid_; }
  uint32_t Handle() const { return handle_; }
  uint16_t Characteristics() const { return characteristics_; }
  uint32_t BaseOfCode() const { return baseOfCode_; }
  uint32_t SizeOfCode() const { return sizeOfCode_; }
  uint16_t SectionCount() const { return sectionCount_; }

  bool Section(uint16_t index, TVXPeSection& section) const;
  // The first section named `name` (8 bytes, zero padded).
  bool FindSection(std::string_view name, TVXPeSection& section) const;
  // Data directory `index` (module-relative address and size); false when absent.
  bool DataDirectory(uint32_t index, uint32_t& address, uint32_t& size) const;

 private:
  const MemorySpace& memory_;
  uint32_t handle_;
  bool valid_ = false;
  uint16_t characteristics_ = 0;
  uint16_t sectionCount_ = 0;
  uint32_t sectionTable_ = 0;
  uint32_t directories_ = 0;
  uint32_t directoryCount_ = 0;
  uint32_t baseOfCode_ = 0;
  uint32_t sizeOfCode_ = 0;
};

}  // namespace tarvex
