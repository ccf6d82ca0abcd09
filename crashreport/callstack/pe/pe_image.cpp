#include "crashreport/callstack/pe/pe_image.h"

#include <algorithm>
#include <cstring>

namespace tarvex {

namespace {

// Optional header (32-bit) fields used here, from its start.
constexpr uint32_t kSizeOfCode = 4;
constexpr uint32_t kBaseOfCode = 20;
constexpr uint32_t kNumberOfRvaAndSizes = 92;
constexpr uint32_t kDataDirectories = 96;

}  // namespace

TVXPeImage::TVXPeImage(const MemorySpace& memory, uint32_t handle) : memory_(memory), handle_(handle) {
  uint16_t mz = 0;
  uint32_t headerOffset = 0, signature = 0;
  if (!ReadValue(memory, handle, mz) || mz != 0x5A4D) return;
  if (!ReadValue(memory, handle + 60, headerOffset) || headerOffset > 0x10000000) return;
  const uint32_t header = handle + headerOffset;
  if (!ReadValue(memory, header, signature) || signature != 0x00004550) return;
  uint16_t optionalSize = 0;
  if (!ReadValue(memory, header + 6, sectionCount_) || !ReadValue(memory, header + 20, optionalSize) ||
      !ReadValue(memory, header + 22, characteristics_))
    return;
  const uint32_t optional = header + 24;
  sectionTable_ = optional + optionalSize;
  if (optionalSize >= kDataDirectories) {
    ReadValue(memory, optional + kNumberOfRvaAndSizes, directoryCount_);
    directoryCount_ = std::min<uint32_t>(directoryCount_, (optionalSize - kDataDirectories) / 8);
    directories_ = optional + kDataDirectories;
  }
  if (optionalSize >= kBaseOfCode + 4 &&
      !(ReadValue(memory, optional + kSizeOfCode, sizeOfCode_) && ReadValue(memory, optional + kBaseOfCode, baseOfCode_)))
    return;
  valid_ = true;
}

bool TVXPeImage::Section(uint16_t index, TVXPeSection& section) const {
  uint8_t raw[40];
  if (!valid_ || index >= sectionCount_ || !ReadMemory(memory_, sectionTable_ + 40u * index, raw, sizeof raw))
    return false;
  std::memcpy(section.Name, raw, 8);
  std::memcpy(&section.VirtualSize, raw + 8, 4);
  std::memcpy(&section.VirtualAddress, raw + 12, 4);
  std::memcpy(&section.RawSize, raw + 16, 4);
  std::memcpy(&section.RawPointer, raw + 20, 4);
  return true;
}

bool TVXPeImage::FindSection(std::string_view name, TVXPeSection& section) const {
  char wanted[8] = {};
  std::memcpy(wanted, name.data(), std::min<size_t>(name.size(), 8));
  for (uint16_t i = 0; i < sectionCount_; ++i)
    if (Section(i, section) && std::memcmp(section.Name, wanted, 8) == 0) return true;
  return false;
}

bool TVXPeImage::DataDirectory(uint32_t index, uint32_t& address, uint32_t& size) const {
  if (!valid_ || index >= directoryCount_) return false;
  return ReadValue(memory_, directories_ + 8 * index, address) && ReadValue(memory_, directories_ + 8 * index + 4, size) &&
         size != 0;
}

}  // namespace tarvex
