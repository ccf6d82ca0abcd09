#include "module_image.h"

#include <algorithm>

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
  for (const PeSection& section : layout.sections) {
    const uint32_t size = std::max(section.virtualSize, section.fileSize);
    if (size == 0) continue;
    std::vector<uint8_t> bytes(size, 0);
    std::copy_n(file.begin() + section.fileOffset, section.fileSize, bytes.begin());
    memory.Map(layout.imageBase + section.virtualAddress, std::move(bytes),
               section.IsCode() ? kPageExecuteRead : kPageReadOnly);
  }
  return layout.imageBase;
}

}  // namespace tarvex::tool
