#include "crashreport/callstack/modules/module_kind.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace tarvex;

std::vector<uint8_t> ImageHeader(uint16_t characteristics, uint32_t peOffset = 0x80) {
  std::vector<uint8_t> header(0x200);
  header[0] = 'M', header[1] = 'Z';
  for (int b = 0; b < 4; ++b) header[0x3C + b] = uint8_t(peOffset >> (8 * b));
  if (peOffset + 0x18 <= header.size()) {
    header[peOffset] = 'P', header[peOffset + 1] = 'E';
    header[peOffset + 0x16] = uint8_t(characteristics), header[peOffset + 0x17] = uint8_t(characteristics >> 8);
  }
  return header;
}

TEST(ImageModuleKind, TellsExecutablesLibrariesAndPackages) {
  BufferMemorySpace memory;
  memory.Map(0x400000, ImageHeader(0x0102), kPageReadOnly);    // executable image
  memory.Map(0x10000000, ImageHeader(0x2102), kPageReadOnly);  // DLL bit set
  memory.Map(0x20000000, ImageHeader(0x2102, 0x1000), kPageReadOnly);  // headers point outside the image
  std::vector<uint8_t> notAnImage = ImageHeader(0x0102);
  notAnImage[0] = 'Z';
  memory.Map(0x30000000, notAnImage, kPageReadOnly);

  EXPECT_EQ(ImageModuleKind(memory, 0x400000, false), mkExecutable);
  EXPECT_EQ(ImageModuleKind(memory, 0x400000, true), mkExecutable);
  EXPECT_EQ(ImageModuleKind(memory, 0x10000000, false), mkLibrary);
  EXPECT_EQ(ImageModuleKind(memory, 0x10000000, true), mkPackage);
  EXPECT_EQ(ImageModuleKind(memory, 0x20000000, false), mkUnknown);
  EXPECT_EQ(ImageModuleKind(memory, 0x30000000, false), mkUnknown);
  EXPECT_EQ(ImageModuleKind(memory, 0x50000000, false), mkUnknown);  // unmapped
}

}  // namespace
