// The headers of a PE32 image, parsed the same way from either of its two
// forms: the file's bytes (pe_file.h) or the image loaded in memory
// (pe_image.h). Offsets count from the image's first byte.
//
//   0x00  "MZ" ... 0x3C  offset of the PE header (4 bytes)
//   PE header: "PE\0\0", file header (20 bytes: machine 2, section count 2,
//     time 4, symbols 4+4, optional header size 2, characteristics 2),
//     optional header (magic 2, 0x10B for PE32; size of code at 4, base of
//     code at 20, image base at 28, data directory count at 92, the data
//     directories at 96, 8 bytes each: address 4, size 4),
//     then the section table (40 bytes each: name 8, virtual size 4,
//     virtual address 4, raw size 4, raw offset 4, ..., characteristics at 36).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvex {

// Where the header bytes come from.
class PeBytes {
 public:
  virtual ~PeBytes() = default;
  // Copies `size` bytes at `offset`; false (nothing copied) when they are not all there.
  virtual bool Read(uint64_t offset, void* out, size_t size) const = 0;
  template <typename T>
  bool Value(uint64_t offset, T& value) const {
    return Read(offset, &value, sizeof value);
  }
};

// One entry of the section table.
struct TVXPeSection {
  char Name[8] = {};  // zero padded; "/N" names point into the symbol string table
  uint32_t VirtualSize = 0;
  uint32_t VirtualAddress = 0;
  uint32_t RawSize = 0;
  uint32_t RawPointer = 0;
  uint32_t Characteristics = 0;
};

struct PeHeaders {
  uint16_t sectionCount = 0;
  uint16_t characteristics = 0;  // of the file header
  // Fields of the optional header; 0 when the optional header is too short to hold them.
  uint16_t magic = 0;
  uint32_t sizeOfCode = 0;
  uint32_t baseOfCode = 0;
  uint32_t imageBase = 0;
  uint32_t directoryCount = 0;  // clipped to the directories the optional header holds
  uint64_t directories = 0;     // offset of the data directories
  uint64_t sectionTable = 0;    // offset of the section table
};

inline constexpr uint16_t kPe32Magic = 0x10B;

enum class PeHeaderFault {
  None,
  CutShort,        // a header lies beyond the bytes (or its offset is absurd)
  NoMzSignature,
  NoPeSignature,
};

// Reads the MZ stub, the file header and the optional header's fields.
PeHeaderFault ReadPeHeaders(const PeBytes& bytes, PeHeaders& headers);
// Section `index` of the table; false when it is beyond the count or the bytes.
bool ReadPeSection(const PeBytes& bytes, const PeHeaders& headers, uint32_t index, TVXPeSection& section);
// Data directory `index` (module-relative address and size); false when it is
// beyond the directory count or the bytes.
bool ReadPeDataDirectory(const PeBytes& bytes, const PeHeaders& headers, uint32_t index, uint32_t& address,
                         uint32_t& size);

}  // namespace tarvex
