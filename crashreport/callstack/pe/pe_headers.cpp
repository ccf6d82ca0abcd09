#include "crashreport/callstack/pe/pe_headers.h"

#include <algorithm>
#include <cstring>

namespace tarvex {

namespace {

constexpr uint32_t kPeHeaderOffset = 0x3C;
constexpr uint32_t kLargestPeHeaderOffset = 0x10000000;  // beyond it the stub is garbage
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kDataDirectorySize = 8;

// Optional header fields, from its start.
constexpr uint32_t kSizeOfCode = 4;
constexpr uint32_t kBaseOfCode = 20;
constexpr uint32_t kImageBase = 28;
constexpr uint32_t kNumberOfRvaAndSizes = 92;
constexpr uint32_t kDataDirectories = 96;

}  // namespace

PeHeaderFault ReadPeHeaders(const PeBytes& bytes, PeHeaders& headers) {
  headers = PeHeaders();
  uint16_t mz = 0;
  if (!bytes.Value(0, mz)) return PeHeaderFault::CutShort;
  if (mz != 0x5A4D) return PeHeaderFault::NoMzSignature;
  uint32_t pe = 0, signature = 0;
  if (!bytes.Value(kPeHeaderOffset, pe) || pe > kLargestPeHeaderOffset || !bytes.Value(pe, signature))
    return PeHeaderFault::CutShort;
  if (signature != 0x00004550) return PeHeaderFault::NoPeSignature;

  const uint64_t fileHeader = uint64_t(pe) + 4;
  uint16_t optionalSize = 0;
  if (!bytes.Value(fileHeader + 2, headers.sectionCount) || !bytes.Value(fileHeader + 16, optionalSize) ||
      !bytes.Value(fileHeader + 18, headers.characteristics))
    return PeHeaderFault::CutShort;
  const uint64_t optional = fileHeader + kFileHeaderSize;
  headers.sectionTable = optional + optionalSize;

  // Each field is read when the optional header is long enough to hold it.
  const auto field = [&](uint32_t offset, auto& value) {
    return offset + sizeof value > optionalSize || bytes.Value(optional + offset, value);
  };
  if (!field(0, headers.magic) || !field(kSizeOfCode, headers.sizeOfCode) ||
      !field(kBaseOfCode, headers.baseOfCode) || !field(kImageBase, headers.imageBase))
    return PeHeaderFault::CutShort;
  if (optionalSize >= kDataDirectories) {
    if (!bytes.Value(optional + kNumberOfRvaAndSizes, headers.directoryCount)) return PeHeaderFault::CutShort;
    headers.directoryCount =
        std::min<uint32_t>(headers.directoryCount, (optionalSize - kDataDirectories) / kDataDirectorySize);
    headers.directories = optional + kDataDirectories;
  }
  return PeHeaderFault::None;
}

bool ReadPeSection(const PeBytes& bytes, const PeHeaders& headers, uint32_t index, TVXPeSection& section) {
  uint8_t raw[kSectionHeaderSize];
  if (index >= headers.sectionCount || !bytes.Read(headers.sectionTable + uint64_t(index) * kSectionHeaderSize, raw,
                                                   sizeof raw))
    return false;
  std::memcpy(section.Name, raw, 8);
  std::memcpy(&section.VirtualSize, raw + 8, 4);
  std::memcpy(&section.VirtualAddress, raw + 12, 4);
  std::memcpy(&section.RawSize, raw + 16, 4);
  std::memcpy(&section.RawPointer, raw + 20, 4);
  std::memcpy(&section.Characteristics, raw + 36, 4);
  return true;
}

bool ReadPeDataDirectory(const PeBytes& bytes, const PeHeaders& headers, uint32_t index, uint32_t& address,
                         uint32_t& size) {
  const uint64_t entry = headers.directories + uint64_t(index) * kDataDirectorySize;
  return index < headers.directoryCount && bytes.Value(entry, address) && bytes.Value(entry + 4, size);
}

}  // namespace tarvex
