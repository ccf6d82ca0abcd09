#include "tests/callstack/pe_code_sections.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tarvex::testsupport {

namespace {

// Little-endian field of a file image; throws when it lies outside the file.
template <typename T>
T Field(const std::vector<uint8_t>& file, size_t offset) {
  if (offset > file.size() || file.size() - offset < sizeof(T)) throw std::runtime_error("truncated PE file");
  T value;
  std::memcpy(&value, file.data() + offset, sizeof value);
  return value;
}

constexpr uint32_t kSectionExecutable = 0x20000000;  // IMAGE_SCN_MEM_EXECUTE
constexpr uint32_t kSectionCode = 0x00000020;        // IMAGE_SCN_CNT_CODE

}  // namespace

//   DOS header: "MZ" .. +0x3C offset of the NT headers
//   NT headers: "PE\0\0", file header (20 bytes: +2 section count, +16 optional
//   header size), optional header (PE32 magic 0x10B, +28 image base), then the
//   section table: 40 bytes each, +0 name[8], +8 virtual size, +12 RVA,
//   +16 raw size, +20 raw offset, +36 characteristics.
std::vector<CodeSection> ReadCodeSections(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (Field<uint16_t>(file, 0) != 0x5A4D) throw std::runtime_error(path + ": no MZ header");
  const uint32_t nt = Field<uint32_t>(file, 0x3C);
  if (Field<uint32_t>(file, nt) != 0x00004550) throw std::runtime_error(path + ": no PE signature");
  const uint16_t sectionCount = Field<uint16_t>(file, nt + 6);
  const uint16_t optionalSize = Field<uint16_t>(file, nt + 20);
  const size_t optional = nt + 24;
  if (Field<uint16_t>(file, optional) != 0x10B) throw std::runtime_error(path + ": not a PE32 image");
  const uint32_t imageBase = Field<uint32_t>(file, optional + 28);

  std::vector<CodeSection> sections;
  for (size_t i = 0, header = optional + optionalSize; i < sectionCount; ++i, header += 40) {
    const uint32_t characteristics = Field<uint32_t>(file, header + 36);
    if (!(characteristics & (kSectionExecutable | kSectionCode))) continue;
    const uint32_t virtualSize = Field<uint32_t>(file, header + 8);
    const uint32_t rawSize = Field<uint32_t>(file, header + 16);
    const uint32_t rawOffset = Field<uint32_t>(file, header + 20);
    const uint32_t size = virtualSize ? std::min(virtualSize, rawSize) : rawSize;
    if (rawOffset > file.size() || file.size() - rawOffset < size) throw std::runtime_error(path + ": section beyond the file");
    CodeSection section;
    section.name.assign(reinterpret_cast<const char*>(&file[header]), strnlen(reinterpret_cast<const char*>(&file[header]), 8));
    section.address = imageBase + Field<uint32_t>(file, header + 12);
    section.bytes.assign(file.begin() + rawOffset, file.begin() + rawOffset + size);
    sections.push_back(std::move(section));
  }
  return sections;
}

}  // namespace tarvex::testsupport
