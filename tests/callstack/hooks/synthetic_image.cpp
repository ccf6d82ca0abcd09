#include "tests/callstack/hooks/synthetic_image.h"

#include <cstring>
#include <stdexcept>

namespace tarvex::testsupport {

namespace {

void Put32(std::vector<uint8_t>& bytes, uint32_t offset, uint32_t value) {
  if (offset + 4 > bytes.size()) throw std::out_of_range("beyond the synthetic image");
  std::memcpy(&bytes[offset], &value, 4);
}

}  // namespace

SyntheticImage BuildSyntheticImage(const std::vector<SyntheticImport>& imports) {
  SyntheticImage image;
  std::vector<uint8_t>& b = image.bytes;
  b.assign(0x1000, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  Put32(b, 0x40, 0x00004550);  // "PE\0\0"
  b[0x44] = 0x4C;              // machine i386
  b[0x45] = 0x01;
  b[0x54] = 0xE0;              // size of the optional header
  b[0x58] = 0x0B;              // PE32 magic
  b[0x59] = 0x01;
  if (!imports.empty()) {
    Put32(b, 0x40 + 0x80, 0x200);                             // import directory RVA
    Put32(b, 0x40 + 0x84, uint32_t(20 * (imports.size() + 1)));  // and size
  }
  uint32_t name = 0x400, table = 0x600;
  for (size_t i = 0; i < imports.size(); ++i) {
    const uint32_t descriptor = 0x200 + 20 * uint32_t(i);
    Put32(b, descriptor + 12, name);
    Put32(b, descriptor + 16, table);
    std::memcpy(&b.at(name), imports[i].module.c_str(), imports[i].module.size() + 1);
    name += uint32_t(imports[i].module.size() + 1);
    std::vector<uint32_t>& rvas = image.tables.emplace_back();
    for (uint32_t entry : imports[i].entries) {
      Put32(b, table, entry);
      rvas.push_back(table);
      table += 4;
    }
    table += 4;  // the terminating zero entry
  }
  return image;
}

}  // namespace tarvex::testsupport
