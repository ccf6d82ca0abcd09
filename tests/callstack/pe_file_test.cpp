#include "crashreport/callstack/pe_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rtl/exception.h"

namespace {

using namespace tarvex;

// A minimal PE32 file: headers at 0x40, two sections, 0x20 bytes of code at 0x200.
std::vector<uint8_t> TinyPe() {
  std::vector<uint8_t> file(0x220, 0);
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&file[at], &v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  put16(0, 0x5A4D);
  put32(0x3C, 0x40);
  put32(0x40, 0x4550);
  put16(0x44, 0x14C);      // i386
  put16(0x46, 2);          // sections
  put16(0x54, 0xE0);       // optional header size
  put16(0x58, 0x10B);      // PE32
  put32(0x58 + 28, 0x00400000);
  const size_t table = 0x58 + 0xE0;
  std::memcpy(&file[table], ".text", 5);
  put32(table + 8, 0x18);  // virtual size below the raw size
  put32(table + 12, 0x1000);
  put32(table + 16, 0x20);
  put32(table + 20, 0x200);
  put32(table + 36, 0x60000020);
  std::memcpy(&file[table + 40], ".bss", 4);
  put32(table + 40 + 8, 0x100);
  put32(table + 40 + 12, 0x2000);
  put32(table + 40 + 36, 0xC0000080);  // data, read and write
  return file;
}

TEST(PeFile, ReadsImageBaseAndSections) {
  const PeLayout layout = ReadPeLayout(TinyPe());
  EXPECT_EQ(layout.imageBase, 0x00400000u);
  ASSERT_EQ(layout.sections.size(), 2u);
  const PeSection& text = layout.sections[0];
  EXPECT_EQ(text.name, ".text");
  EXPECT_EQ(text.virtualAddress, 0x1000u);
  EXPECT_EQ(text.fileOffset, 0x200u);
  EXPECT_EQ(text.fileSize, 0x18u);  // the padding after the virtual size is not code
  EXPECT_TRUE(text.IsCode());
  EXPECT_EQ(layout.sections[1].name, ".bss");
  EXPECT_EQ(layout.sections[1].fileSize, 0u);
  EXPECT_FALSE(layout.sections[1].IsCode());
  EXPECT_TRUE(PeSection{.characteristics = PeSection::kExecutable}.IsCode());
}

TEST(PeFile, RejectsWhatIsNotAPe32File) {
  const auto broken = [](auto change) {
    std::vector<uint8_t> file = TinyPe();
    change(file);
    return file;
  };
  const std::vector<std::vector<uint8_t>> cases = {
      {},
      broken([](auto& f) { f[0] = 'X'; }),                // no MZ
      broken([](auto& f) { f[0x41] = 'X'; }),             // no PE signature
      broken([](auto& f) { f[0x3C] = 0xF0; f[0x3D] = 0xFF; }),  // PE header beyond the end
      broken([](auto& f) { f[0x59] = 0x02; }),            // PE32+ magic 0x20B
      broken([](auto& f) { f.resize(0x210); }),           // code cut short
      broken([](auto& f) { f.resize(0x150); }),           // section table cut short
  };
  for (size_t i = 0; i < cases.size(); ++i)
    EXPECT_THROW(ReadPeLayout(cases[i]), rtl::EReadError) << "case " << i;
}

}  // namespace
