#include "crashreport/callstack/debuginfo/debug_info_td32.h"

#include <gtest/gtest.h>

#include <cstring>

#include "debug_file_fixture.h"

namespace {

using namespace tarvex;

// Assembles a TD32 block: signature, subsections, directory, trailer.
class Td32Block {
 public:
  Td32Block() { Raw("FB09"), U32(0); }

  Td32Block& Raw(const std::string& text) { return bytes_.insert(bytes_.end(), text.begin(), text.end()), *this; }
  Td32Block& U16(uint16_t v) { return bytes_.push_back(uint8_t(v)), bytes_.push_back(uint8_t(v >> 8)), *this; }
  Td32Block& U32(uint32_t v) { return U16(uint16_t(v)), U16(uint16_t(v >> 16)); }
  uint32_t Here() const { return static_cast<uint32_t>(bytes_.size()); }
  void Patch32(uint32_t at, uint32_t v) { std::memcpy(&bytes_[at], &v, 4); }

  // Starts a subsection of `type`; End() closes it.
  void Begin(uint16_t type) { entries_.push_back({type, Here(), 0}); }
  void End() { entries_.back().size = Here() - entries_.back().offset; }

  std::vector<uint8_t> Finish(uint16_t entrySize = 12, const char* trailer = "FB09") {
    Patch32(4, Here());
    U16(16).U16(entrySize).U32(static_cast<uint32_t>(entries_.size())).U32(0).U32(0);  // ... next, flags
    for (const Entry& e : entries_) U16(e.type).U16(1).U32(e.offset).U32(e.size);
    Raw(trailer).U32(Here() + 4);
    return bytes_;
  }

 private:
  struct Entry {
    uint16_t type;
    uint32_t offset, size;
  };
  std::vector<uint8_t> bytes_;
  std::vector<Entry> entries_;
};

std::vector<uint8_t> SampleBlock(uint16_t entrySize = 12, const char* trailer = "FB09") {
  Td32Block b;
  b.Begin(0x130);  // names 1..4
  b.U32(4);
  for (std::string name : {"Shapes", "@Shapes@TCalc@Run$qqrv", "Shapes.pas", "@Helper"})
    b.Raw(std::string(1, char(name.size())) + name + '\0');
  b.End();

  b.Begin(0x120);  // module "Shapes": one segment at 0x100, 0x100 bytes
  b.U32(0).U16(1).U16(0).U32(1);
  for (int i = 0; i < 16; ++i) b.Raw(std::string(1, '\0'));
  b.U16(1).U16(0).U32(0x100).U32(0x100);
  b.End();

  b.Begin(0x125);  // symbols
  const uint32_t symbols = b.Here();
  b.U32(1);
  auto proc = [&](uint16_t type, uint32_t offset, uint32_t size, uint32_t name) {
    b.U16(42).U16(type).U32(0).U32(0).U32(0).U32(size).U32(0).U32(0).U32(offset).U32(0).U32(0).U32(name);
  };
  proc(0x0205, 0x100, 0x40, 2);
  b.U16(14).U16(0x0209).U32(0x150).U32(0).U32(4);  // a label: kept but no procedure
  b.U16(6).U16(0x0999).U32(0);                      // an unknown record: skipped
  proc(0x0204, 0x140, 0x20, 4);
  b.End();
  (void)symbols;

  b.Begin(0x127);  // source module: a nameless file (skipped) and "Shapes.pas"
  const uint32_t source = b.Here();
  b.U16(2).U16(1).U32(0).U32(0);
  const uint32_t nameless = b.Here() - source;
  b.U16(0).U32(0);
  const uint32_t file = b.Here() - source;
  b.U16(1).U32(3).U32(0).U32(0x100).U32(0x180);
  const uint32_t table = b.Here() - source;
  b.U16(1).U16(3).U32(0x100).U32(0x110).U32(0x120).U16(10).U16(12).U16(15);
  b.Patch32(source + 4, nameless);
  b.Patch32(source + 8, file);
  b.Patch32(source + file + 6, table);
  b.End();
  return b.Finish(entrySize, trailer);
}

TEST(Td32, FindsUnitProcedureSourceAndLine) {
  DebugFileFixture files;
  files.Write("Prog.tds", std::vector<uint8_t>(SampleBlock()));
  TVXDebugInfoTD32 source(files.Module("Prog.exe"));
  ASSERT_TRUE(source.IsValid());
  struct Case {
    uint32_t offset;
    const char* name;
    int line;
    int fromStart;
    const char* file;
  };
  const Case cases[] = {
      {0x100, "TCalc.Run", 10, 0, "Shapes.pas"},
      {0x115, "TCalc.Run", 12, 2, "Shapes.pas"},
      {0x120, "TCalc.Run", 15, 5, "Shapes.pas"},
      {0x130, "TCalc.Run", 0, -10, "Shapes.pas"},  // past the last line: unit and procedure stay
      {0x150, "Helper", 0, 0, "Shapes.pas"},
      {0x1F0, "", 0, 0, ""},
      {0x200, "", 0, 0, ""},  // a segment's size bound is inclusive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    TVXLocationInfo info;
    ASSERT_TRUE(source.FindLocation(kFixtureHandle + 0x1000 + c.offset, info));
    EXPECT_EQ(info.UnitName, "Shapes");
    EXPECT_EQ(info.QualifiedName, c.name);
    EXPECT_EQ(info.Line, c.line);
    EXPECT_EQ(info.LinesFromProcStart, c.fromStart);
    EXPECT_EQ(info.SourceFile, c.file);
  }
  TVXLocationInfo info;
  EXPECT_FALSE(source.FindLocation(kFixtureHandle + 0x1000 + 0x201, info));
  EXPECT_FALSE(source.FindLocation(kFixtureHandle + 0x1000 + 0xFF, info));
}

TEST(Td32, ParsesEverySymbolKind) {
  TVXTD32InfoScanner scanner(SampleBlock());
  ASSERT_TRUE(scanner.ValidData());
  ASSERT_EQ(scanner.Symbols().size(), 3u);
  EXPECT_NE(dynamic_cast<const TVXGlobalProcSymbolInfo*>(scanner.Symbols()[0].get()), nullptr);
  const auto* label = dynamic_cast<const TVXLabelSymbolInfo*>(scanner.Symbols()[1].get());
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Offset, 0x150u);
  EXPECT_EQ(label->NameIndex, 4u);
  EXPECT_NE(dynamic_cast<const TVXLocalProcSymbolInfo*>(scanner.Symbols()[2].get()), nullptr);
  ASSERT_EQ(scanner.SourceModules().size(), 1u);  // the nameless file is skipped
  EXPECT_EQ(scanner.Name(3), "Shapes.pas");
  EXPECT_EQ(scanner.Name(0), "");
  EXPECT_EQ(scanner.Name(5), "");
}

TEST(Td32, RejectsBadBlocks) {
  EXPECT_FALSE(TVXTD32InfoScanner(SampleBlock(10)).ValidData());                 // entry size not 12
  EXPECT_FALSE(TVXTD32InfoScanner(SampleBlock(12, "FB07")).ValidData());         // trailer signature
  EXPECT_TRUE(TVXTD32InfoScanner(SampleBlock(12, "FB0A")).ValidData());
  std::vector<uint8_t> far = SampleBlock();
  far[far.size() - 1] = 0x7F;  // distance beyond the block
  EXPECT_FALSE(TVXTD32InfoScanner(far).ValidData());
  EXPECT_FALSE(TVXTD32InfoScanner({'F', 'B', '0', '9', 8, 0, 0, 0}).ValidData());  // 8 bytes only

  // Bytes before the start signature do not matter.
  std::vector<uint8_t> prefixed = {1, 2, 3};
  const std::vector<uint8_t> sample = SampleBlock();
  prefixed.insert(prefixed.end(), sample.begin(), sample.end());
  EXPECT_TRUE(TVXTD32InfoScanner(prefixed).ValidData());

  DebugFileFixture files;
  files.Write("Bad.tds", SampleBlock(10));
  EXPECT_FALSE(TVXDebugInfoTD32(files.Module("Bad.exe")).IsValid());
}

TEST(Td32, SurvivesCorruptBlocks) {
  const std::vector<uint8_t> sample = SampleBlock();
  for (size_t at = 0; at < sample.size(); ++at) {
    for (uint8_t value : {0x00, 0x01, 0x7F, 0xFF}) {
      std::vector<uint8_t> block = sample;
      block[at] = value;
      TVXTD32InfoScanner scanner(block);
      uint32_t distance;
      scanner.ProcNameFromAddr(0x115, distance);
      scanner.LineNumberFromAddr(0x115);
      scanner.ModuleNameFromAddr(0x115);
    }
  }
}

TEST(Td32, CleansProcedureNames) {
  struct Case {
    const char* raw;
    const char* unit;
    const char* clean;
  };
  for (const Case& c : {Case{"@Shapes@TCalc@Run$qqrv", "Shapes", "TCalc.Run"},
                        Case{"@shapes@Go", "Shapes", "Go"},
                        Case{"@A@@B$x", "X", "A.@B"},
                        Case{"@A@$qv", "", "A"},
                        Case{"Plain", "Other", "Plain"},
                        Case{"", "U", ""}}) {
    EXPECT_EQ(CleanTD32ProcName(c.raw, c.unit), c.clean) << c.raw;
  }
}

}  // namespace
