// Reading the headers of a loaded PE image through its memory, checked at
// every step (the headers are parsed by pe_headers.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/callstack/pe/pe_headers.h"

namespace tarvex {

// The bytes of the image loaded at `handle`, read without faulting.
class PeImageBytes : public PeBytes {
 public:
  PeImageBytes(const MemorySpace& memory, uint32_t handle) : memory_(memory), handle_(handle) {}
  bool Read(uint64_t offset, void* out, size_t size) const override;

 private:
  const MemorySpace& memory_;
  uint32_t handle_;
};

class TVXPeImage {
 public:
  // Reads the headers of the image loaded at `handle`; Valid() tells whether they passed.
  TVXPeImage(const MemorySpace& memory, uint32_t handle);

  bool Valid() const { return valid_; }
  uint32_t Handle() const { return handle_; }
  uint16_t Characteristics() const { return headers_.characteristics; }
  uint32_t BaseOfCode() const { return headers_.baseOfCode; }
  uint32_t SizeOfCode() const { return headers_.sizeOfCode; }
  uint16_t SectionCount() const { return headers_.sectionCount; }

  bool Section(uint16_t index, TVXPeSection& section) const;
  // The first section named `name` (8 bytes, zero padded).
  bool FindSection(std::string_view name, TVXPeSection& section) const;
  // Data directory `index` (module-relative address and size); false when absent.
  bool DataDirectory(uint32_t index, uint32_t& address, uint32_t& size) const;

 private:
  PeImageBytes bytes_;
  uint32_t handle_;
  PeHeaders headers_;
  bool valid_ = false;
};

}  // namespace tarvex
