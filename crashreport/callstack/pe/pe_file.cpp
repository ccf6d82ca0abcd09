#include "crashreport/callstack/pe/pe_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "rtl/exception.h"

namespace tarvex {

namespace {

constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  template <typename T>
  T At(uint64_t offset) const {
    if (offset + sizeof(T) > bytes_.size()) throw rtl::EReadError("not a PE file: the headers are cut short");
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof value);
    return value;
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace

PeLayout ReadPeLayout(std::span<const uint8_t> file) {
  const Reader reader(file);
  if (reader.At<uint16_t>(0) != 0x5A4D) throw rtl::EReadError("not a PE file: no MZ signature");
  const uint64_t pe = reader.At<uint32_t>(0x3C);
  if (reader.At<uint32_t>(pe) != 0x00004550) throw rtl::EReadError("not a PE file: no PE signature");
  const uint64_t fileHeader = pe + 4;
  const uint16_t sectionCount = reader.At<uint16_t>(fileHeader + 2);
  const uint16_t optionalSize = reader.At<uint16_t>(fileHeader + 16);
  const uint64_t optional = fileHeader + kFileHeaderSize;
  if (reader.At<uint16_t>(optional) != kPe32Magic) throw rtl::EReadError("not a 32-bit PE file");

  PeLayout layout;
  layout.imageBase = reader.At<uint32_t>(optional + 28);
  const uint64_t table = optional + optionalSize;
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint64_t header = table + uint64_t(i) * kSectionHeaderSize;
    PeSection section;
    const auto name = reader.At<std::array<char, 8>>(header);
    section.name.assign(name.data(), std::find(name.begin(), name.end(), '\0'));
    section.virtualSize = reader.At<uint32_t>(header + 8);
    section.virtualAddress = reader.At<uint32_t>(header + 12);
    const uint32_t rawSize = reader.At<uint32_t>(header + 16);
    section.fileOffset = reader.At<uint32_t>(header + 20);
    section.characteristics = reader.At<uint32_t>(header + 36);
    section.fileSize = section.virtualSize != 0 ? std::min(rawSize, section.virtualSize) : rawSize;
    if (uint64_t(section.fileOffset) + section.fileSize > file.size())
      throw rtl::EReadError("PE section " + section.name + " lies outside the file");
    layout.sections.push_back(std::move(section));
  }
  return layout;
}

}  // namespace tarvex
