#include "crashreport/callstack/debuginfo/debug_info_jdbg.h"

#include <gtest/gtest.h>

#include <cstring>

#include "debug_file_fixture.h"

namespace {

using namespace tarvex;

// A hand-assembled JDBG block (no checksum):
//   units   (0x10, "Main")                       names: 1 "Main" packed,
//   sources (0x10, "Main.cpp")                          7 "Main.cpp" XOR form,
//   symbols (0x10, "@Run", -), (0x20, "Main", "@Run")  17 "@Run" packed with the "@" mark
//   lines   (0x10, 100) (0x14, 102) (0x20, 150) (0x300, 100)
std::vector<uint8_t> GoldenJdbg() {
  std::vector<uint8_t> data = {
      'J', 'D', 'B', 'G', 1,
      34, 0, 0, 0,  // units
      41, 0, 0, 0,  // source names
      48, 0, 0, 0,  // symbols
      63, 0, 0, 0,  // line numbers
      81, 0, 0, 0,  // names area
      0, 0, 0, 0,   // (unused)
      0, 0, 0, 0,   // checksum
      0,            // no checksum
      // 34: units
      0x10, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x07,
      // 41: source names
      0x10, 0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0x07,
      // 48: symbols: +0x10 +17 +0 | +0x10 -16 +17 | end
      0x10, 0x11, 0x00, 0x10, 0xF0, 0xFF, 0xFF, 0xFF, 0x0F, 0x11, 0xFF, 0xFF, 0xFF, 0xFF, 0x07,
      // 63: lines: +0x10 +100 | +4 +2 | +0xC +48 | +0x2E0 -50 | end
      0x10, 0x64, 0x04, 0x02, 0x0C, 0x30, 0xE0, 0x05, 0xCE, 0xFF, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0x07,
      // 81: names
      0x57, 0xD9, 0xCA, 0x00, 0x00, 0x00,                          // "Main": codes 23 37 45 50 0
      0x01, 0xE7, 0xCB, 0xC3, 0xC4, 0x84, 0xC9, 0xDA, 0xDA, 0x00,  // "Main.cpp" ^ 0xAA
      0x02, 0x5C, 0x2E, 0x03,                                      // "@" + "Run": codes 28 57 50 0
      0, 0, 0};                                                    // to a multiple of 4
  return data;
}

void SetChecksum(std::vector<uint8_t>& data) {
  std::memset(&data[29], 0, 4);
  data[33] = 1;
  uint32_t sum = 0;
  for (size_t i = 0; i < data.size(); i += 4) {
    uint32_t word;
    std::memcpy(&word, &data[i], 4);
    sum += word;
  }
  std::memcpy(&data[29], &sum, 4);  // then sum - stored, rotated right by 8, is the stored value
}

TEST(JdbgScanner, DecodesTheGoldenBlock) {
  for (bool cached : {true, false}) {
    SCOPED_TRACE(cached ? "cached" : "walking");
    TVXBinDebugScanner scanner(GoldenJdbg(), cached);
    ASSERT_TRUE(scanner.ValidFormat());
    EXPECT_EQ(scanner.DataToName(1), "Main");
    EXPECT_EQ(scanner.DataToName(7), "Main.cpp");
    EXPECT_EQ(scanner.DataToName(17), "@Run");
    EXPECT_EQ(scanner.DataToName(0), "");
    EXPECT_EQ(scanner.DataToName(1000), "");

    struct Case {
      uint32_t offset;
      const char* proc;
      uint32_t distance;
      uint32_t line;
    };
    for (const Case& c : {Case{0x10, "@Run", 0, 100}, Case{0x15, "@Run", 5, 102}, Case{0x25, "Main.@Run", 5, 150},
                          Case{0x400, "Main.@Run", 0x3E0, 100}}) {
      uint32_t distance = 99;
      EXPECT_EQ(scanner.ProcNameFromAddr(c.offset, distance), c.proc) << c.offset;
      EXPECT_EQ(distance, c.distance) << c.offset;
      EXPECT_EQ(scanner.LineNumberFromAddr(c.offset), c.line) << c.offset;
      EXPECT_EQ(scanner.ModuleNameFromAddr(c.offset), "Main");
      EXPECT_EQ(scanner.SourceNameFromAddr(c.offset), "Main.cpp");
    }
    uint32_t distance;
    EXPECT_FALSE(scanner.ModuleStartFromAddr(0xF));
    EXPECT_EQ(scanner.ProcNameFromAddr(0xF, distance), "");
    EXPECT_EQ(scanner.LineNumberFromAddr(0xF), 0u);
  }
}

TEST(JdbgScanner, ChecksHeaderSizeAndChecksum) {
  std::vector<uint8_t> withChecksum = GoldenJdbg();
  SetChecksum(withChecksum);
  EXPECT_TRUE(TVXBinDebugScanner(withChecksum, true).ValidFormat());

  struct Case {
    const char* what;
    size_t at;
    uint8_t value;
  };
  for (const Case& c : {Case{"signature", 0, 'X'}, Case{"version", 4, 2}, Case{"a table byte", 50, 0x11},
                        Case{"the checksum", 30, 0}}) {
    std::vector<uint8_t> bad = withChecksum;
    bad[c.at] = c.value;
    EXPECT_FALSE(TVXBinDebugScanner(bad, true).ValidFormat()) << c.what;
  }
  // Without the checksum flag a changed table byte is not noticed.
  std::vector<uint8_t> unchecked = GoldenJdbg();
  unchecked[50] = 0x11;
  EXPECT_TRUE(TVXBinDebugScanner(unchecked, true).ValidFormat());
}

TEST(JdbgScanner, RejectsASizeNotAMultipleOfFourBeforeTheChecksum) {
  std::vector<uint8_t> data = GoldenJdbg();
  data.pop_back();  // checksum flag is 0: only the size can fail
  EXPECT_FALSE(TVXBinDebugScanner(data, true).ValidFormat());
  std::vector<uint8_t> tiny(32, 0);
  std::memcpy(tiny.data(), "JDBG\x01", 5);
  EXPECT_FALSE(TVXBinDebugScanner(tiny, true).ValidFormat());
}

TEST(JdbgScanner, SurvivesCorruptTables) {
  const std::vector<uint8_t> golden = GoldenJdbg();
  for (size_t at = 5; at < golden.size(); ++at) {
    for (uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
      std::vector<uint8_t> data = golden;
      data[at] = value;
      for (bool cached : {true, false}) {
        TVXBinDebugScanner scanner(data, cached);
        uint32_t distance;
        for (uint32_t offset : {0x10u, 0x25u, 0x400u}) {
          scanner.ProcNameFromAddr(offset, distance);
          scanner.LineNumberFromAddr(offset);
          scanner.SourceNameFromAddr(offset);
        }
      }
    }
  }
}

TEST(JdbgSource, ReadsTheImageSectionBeforeAFile) {
  // An image at the fixture handle: MZ header, PE header with one section "JCLDEBUG" at RVA 0x2000.
  std::vector<uint8_t> headers(0x200, 0);
  headers[0] = 'M', headers[1] = 'Z', headers[60] = 0x80;
  std::memcpy(&headers[0x80], "PE\0\0", 4);
  headers[0x86] = 1;     // one section
  headers[0x94] = 0xE0;  // optional header size
  const size_t section = 0x80 + 24 + 0xE0;
  std::memcpy(&headers[section], "JCLDEBUG", 8);
  const std::vector<uint8_t> data = GoldenJdbg();
  const uint32_t size = static_cast<uint32_t>(data.size());
  std::memcpy(&headers[section + 8], &size, 4);        // virtual size
  headers[section + 13] = 0x20;                         // virtual address 0x2000
  const uint32_t raw = 0x200;
  std::memcpy(&headers[section + 16], &raw, 4);         // raw size (larger)
  BufferMemorySpace memory;
  memory.Map(kFixtureHandle, headers, kPageReadOnly);
  memory.Map(kFixtureHandle + 0x2000, data, kPageReadOnly);

  DebugFileFixture files;
  files.Write("Prog.jdbg", "JDBG-file-that-is-not-valid");
  TVXDebugInfoJedy source(files.Module("Prog.exe", &memory));
  ASSERT_TRUE(source.IsValid());
  TVXLocationInfo info;
  ASSERT_TRUE(source.FindLocation(kFixtureHandle + 0x1000 + 0x15, info));
  EXPECT_EQ(info.UnitName, "Main");
  EXPECT_EQ(info.SourceFile, "Main.cpp");
  EXPECT_EQ(info.QualifiedName, "@Run");
  EXPECT_EQ(info.Line, 102);
  EXPECT_EQ(info.LinesFromProcStart, 2);
  EXPECT_FALSE(source.FindLocation(kFixtureHandle + 0x1000 + 0xF, info));

  // Without the section the file beside the module is read.
  files.Write("Other.jdbg", data);
  TVXDebugInfoJedy fromFile(files.Module("Other.exe"));
  EXPECT_TRUE(fromFile.IsValid());
  EXPECT_TRUE(fromFile.FindLocation(kFixtureHandle + 0x1000 + 0x15, info));
}

}  // namespace
