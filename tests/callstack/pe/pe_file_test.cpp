#include "crashreport/callstack/pe/pe_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rtl/exception.h"
#include "tests/callstack/pe/tiny_pe.h"

namespace {

using namespace tarvex;
using testsupport::TinyPe;


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
  PeSection executableOnly;
  executableOnly.characteristics = PeSection::kExecutable;
  EXPECT_TRUE(executableOnly.IsCode());
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
