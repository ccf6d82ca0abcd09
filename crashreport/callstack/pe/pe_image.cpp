#include "crashreport/callstack/pe/pe_image.h"

#include <algorithm>
#include <cstring>

namespace tarvex {

bool PeImageBytes::Read(uint64_t offset, void* out, size_t size) const {
  const uint64_t address = handle_ + offset;
  if (address + size > 0x100000000ull) return false;
  return ReadMemory(memory_, static_cast<uint32_t>(address), out, size);
}

TVXPeImage::TVXPeImage(const MemorySpace& memory, uint32_t handle)
    : bytes_(memory, handle), handle_(handle), valid_(ReadPeHeaders(bytes_, headers_) == PeHeaderFault::None) {}

bool TVXPeImage::Section(uint16_t index, TVXPeSection& section) const {
  return valid_ && ReadPeSection(bytes_, headers_, index, section);
}

bool TVXPeImage::FindSection(std::string_view name, TVXPeSection& section) const {
  char wanted[8] = {};
  std::memcpy(wanted, name.data(), std::min<size_t>(name.size(), 8));
  for (uint16_t i = 0; i < SectionCount(); ++i)
    if (Section(i, section) && std::memcmp(section.Name, wanted, 8) == 0) return true;
  return false;
}

bool TVXPeImage::DataDirectory(uint32_t index, uint32_t& address, uint32_t& size) const {
  return valid_ && ReadPeDataDirectory(bytes_, headers_, index, address, size) && size != 0;
}

}  // namespace tarvex
