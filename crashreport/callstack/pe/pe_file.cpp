#include "crashreport/callstack/pe/pe_file.h"

#include <algorithm>

#include "crashreport/callstack/pe/pe_headers.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

class FileBytes : public PeBytes {
 public:
  explicit FileBytes(std::span<const uint8_t> file) : file_(file) {}
  bool Read(uint64_t offset, void* out, size_t size) const override {
    if (offset > file_.size() || size > file_.size() - offset) return false;
    std::copy_n(file_.data() + offset, size, static_cast<uint8_t*>(out));
    return true;
  }

 private:
  std::span<const uint8_t> file_;
};

constexpr const char* kCutShort = "not a PE file: the headers are cut short";

}  // namespace

PeLayout ReadPeLayout(std::span<const uint8_t> file) {
  const FileBytes bytes(file);
  PeHeaders headers;
  switch (ReadPeHeaders(bytes, headers)) {
    case PeHeaderFault::None: break;
    case PeHeaderFault::CutShort: throw rtl::EReadError(kCutShort);
    case PeHeaderFault::NoMzSignature: throw rtl::EReadError("not a PE file: no MZ signature");
    case PeHeaderFault::NoPeSignature: throw rtl::EReadError("not a PE file: no PE signature");
  }
  if (headers.magic != kPe32Magic) throw rtl::EReadError("not a 32-bit PE file");

  PeLayout layout;
  layout.imageBase = headers.imageBase;
  for (uint32_t i = 0; i < headers.sectionCount; ++i) {
    TVXPeSection entry;
    if (!ReadPeSection(bytes, headers, i, entry)) throw rtl::EReadError(kCutShort);
    PeSection section;
    section.name.assign(entry.Name, std::find(entry.Name, entry.Name + sizeof entry.Name, '\0'));
    section.virtualSize = entry.VirtualSize;
    section.virtualAddress = entry.VirtualAddress;
    section.fileOffset = entry.RawPointer;
    section.characteristics = entry.Characteristics;
    section.fileSize = section.virtualSize != 0 ? std::min(entry.RawSize, section.virtualSize) : entry.RawSize;
    if (uint64_t(section.fileOffset) + section.fileSize > file.size())
      throw rtl::EReadError("PE section " + section.name + " lies outside the file");
    layout.sections.push_back(std::move(section));
  }
  return layout;
}

}  // namespace tarvex
