#include "module_image.h"

#include <algorithm>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/callstack/modules/exported_functions.h"
#include "crashreport/callstack/pe/pe_file.h"

namespace tarvex::tool {

uint32_t MapModuleImage(const std::vector<uint8_t>& file, BufferMemorySpace& memory) {
  const PeLayout layout = ReadPeLayout(file);
  // The headers: up to the first section's data (at most a page).
  uint32_t headers = 0x1000;
  for (const PeSection& section : layout.sections)
    if (section.fileSize != 0) headers = std::min(headers, section.fileOffset);
  memory.Map(layout.imageBase, std::vector<uint8_t>(file.begin(), file.begin() + std::min<size_t>(headers, file.size())),
             kPageReadOnly);
  // As the loader does, a section fills its last page (unless the next one starts there).
  for (const PeSection& section : layout.sections) {
    uint64_t size = (uint64_t(std::max(section.virtualSize, section.fileSize)) + 0xFFF) & ~uint64_t(0xFFF);
    for (const PeSection& other : layout.sections)
      if (other.virtualAddress > section.virtualAddress)
        size = std::min<uint64_t>(size, other.virtualAddress - section.virtualAddress);
    if (size == 0) continue;
    std::vector<uint8_t> bytes(size, 0);
    std::copy_n(file.begin() + section.fileOffset, std::min<uint64_t>(section.fileSize, size), bytes.begin());
    memory.Map(layout.imageBase + section.virtualAddress, std::move(bytes),
               section.IsCode() ? kPageExecuteRead : kPageReadOnly);
  }
  return layout.imageBase;
}

namespace {

// Offline, a forwarder leads nowhere; the key is never forwarded.
class NoForwarders : public ForwardedExportResolver {
 public:
  uint32_t Resolve(uint32_t, const std::string&) const override { return 0; }
};

}  // namespace

std::string ExportedDataKey(const MemorySpace& memory, uint32_t base) {
  TTarvexFunctionsList exports;
  if (!ReadExportedFunctions(memory, base, exports, NoForwarders(), ExportStubs::Keep)) return {};
  for (size_t i = 0; i < exports.size(); ++i) {
    if (exports[i].Name != kDataKeyExport) continue;
    char text[kMaxDataKeyLength + 1];
    const uint32_t readable = std::min<uint32_t>(ReadableBytes(memory, exports[i].Address, 1), sizeof text);
    if (!ReadMemory(memory, exports[i].Address, text, readable)) return {};
    const char* end = std::find(text, text + readable, '\0');
    return end == text + readable ? std::string() : std::string(text, size_t(end - text));
  }
  return {};
}

}  // namespace tarvex::tool
