#include "crashreport/callstack/debuginfo/debug_info_map.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "debug_file_fixture.h"

namespace {

using namespace tarvex;

// A map as a linker writes it, with the cases the scanner must handle:
// a segment-2 unit, a line pair out of order, a pair of segment 2.
constexpr char kMap[] =
    "\r\n Start         Length     Name                   Class\r\n"
    " 0001:00000000 00000400H .text                   CODE\r\n"
    " 0002:00000000 00000100H .data                   DATA\r\n"
    "\r\nDetailed map of segments\r\n\r\n"
    " 0001:00000000 00000100 C=CODE     S=.text    G=(none)   M=System   ALIGN=PARA\r\n"
    " 0001:00000100 00000200 C=CODE     S=.text    G=(none)   M=Shapes   ALIGN=PARA\r\n"
    " 0002:00000000 00000100 C=DATA     S=.data    G=DGROUP   M=Shapes   ALIGN=DWORD\r\n"
    "\r\n  Address             Publics by Name\r\n\r\n"
    " 0001:00000100       Shapes.TCalc.Run\r\n"
    "\r\n  Address             Publics by Value\r\n\r\n"
    " 0001:00000010       System.Move\r\n"
    " 0001:00000100       Shapes.TCalc.Run\r\n"
    " 0001:00000180       Shapes.Convert(x)\r\n"
    " 0002:00000010       Shapes.Table\r\n"
    "\r\nLine numbers for System(System.pas) segment .text\r\n\r\n"
    "    40 0001:00000010    41 0001:00000018\r\n"
    "\r\nLine numbers for Shapes(C:\\src\\Shapes.pas) segment .text\r\n\r\n"
    "   100 0001:00000100   101 0001:00000108   102 0001:00000104   103 0001:00000110\r\n"
    "   120 0002:00000120   130 0001:00000180   131 0001:00000190   999 0001:00000400\r\n"
    "   132 0001:000001A0\r\n";

struct Located {
  bool found;
  TVXLocationInfo info;
};

class MapSource : public testing::Test {
 protected:
  void SetUp() override { files_.Write("Prog.map", kMap); }
  Located At(uint32_t offset) {
    TVXDebugInfoMap source(files_.Module("Prog.exe"));
    EXPECT_TRUE(source.IsValid());
    Located located{};
    located.found = source.FindLocation(kFixtureHandle + 0x1000 + offset, located.info);
    return located;
  }
  DebugFileFixture files_;
};

TEST_F(MapSource, ScansSegmentsPublicsAndLines) {
  struct Case {
    uint32_t offset;
    const char* unit;
    const char* name;
    int line;
    int linesFromStart;
    const char* source;
  };
  const Case cases[] = {
      {0x10, "System", "System.Move", 40, 0, "System.pas"},
      {0x1C, "System", "System.Move", 41, 1, "System.pas"},
      {0x100, "Shapes", "Shapes.TCalc.Run", 100, 0, "C:\\src\\Shapes.pas"},
      {0x10C, "Shapes", "Shapes.TCalc.Run", 101, 1, "C:\\src\\Shapes.pas"},  // 102 at 0x104 was rejected
      {0x110, "Shapes", "Shapes.TCalc.Run", 103, 3, "C:\\src\\Shapes.pas"},
      {0x185, "Shapes", "Shapes.Convert", 130, 0, "C:\\src\\Shapes.pas"},
      {0x1A4, "Shapes", "Shapes.Convert", 132, 2, "C:\\src\\Shapes.pas"},
      {0x300, "Shapes", "Shapes.Convert", 132, 2, "C:\\src\\Shapes.pas"},  // segment end is inclusive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    const Located located = At(c.offset);
    ASSERT_TRUE(located.found);
    EXPECT_EQ(located.info.UnitName, c.unit);
    EXPECT_EQ(located.info.QualifiedName, c.name);
    EXPECT_EQ(located.info.Line, c.line);
    EXPECT_EQ(located.info.LinesFromProcStart, c.linesFromStart);
    EXPECT_EQ(located.info.SourceFile, c.source);
  }
}

TEST_F(MapSource, RejectsLinePairsOutOfOrderOrOfAnotherSegmentAndCountsThem) {
  TVXDebugInfoMap source(files_.Module("Prog.exe"));
  ASSERT_TRUE(source.IsValid());
  // 102 (offset below the last accepted), 120 (segment 2), 999 (past the highest valid offset 0x300).
  EXPECT_EQ(source.Scanner()->RejectedLines(), 3u);
}

TEST_F(MapSource, AddressesOutsideCodeSegmentsAreUnknown) {
  EXPECT_FALSE(At(0x301).found);
  EXPECT_FALSE(At(0x10000).found);
  EXPECT_FALSE(At(0xFFFFF000).found);  // below the module
}

TEST(MapScanner, SectionsWithoutHeadersAreSkipped) {
  const std::string text =
      "Address Publics by Value\r\n 0001:00000020 Solo\r\n"
      "Line numbers for Solo(solo.c)\r\n 5 0001:00000020\r\n";
  TVXMapScanner scanner(std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_TRUE(scanner.Empty());  // no segments: nothing can be located
  EXPECT_EQ(scanner.SegmentFromOffset(0x20), nullptr);
  EXPECT_EQ(scanner.RejectedLines(), 0u);
}

TEST(MapScanner, CutsNames) {
  const std::string text = "x (in parens) plain(rest) tab\there\r\n(open";
  TVXMapScanner scanner(std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(scanner.MapName(2), "in parens");
  EXPECT_EQ(scanner.MapName(14), "plain");
  EXPECT_EQ(scanner.MapName(26), "tab");
  EXPECT_EQ(scanner.MapName(36), "open");
  EXPECT_EQ(scanner.MapName(1000), "");
}

TEST(MapScanner, SurvivesTruncatedAndCorruptText) {
  const std::string full = kMap;
  for (size_t cut = 0; cut < full.size(); cut += 7) {
    TVXMapScanner scanner(std::vector<uint8_t>(full.begin(), full.begin() + static_cast<ptrdiff_t>(cut)));
    uint32_t distance;
    scanner.ProcNameFromOffset(0x110, distance);
    scanner.LineNumberFromOffset(0x110);
    scanner.SourceNameFromOffset(0x110);
  }
  std::string corrupt = full;
  for (size_t i = 0; i < corrupt.size(); i += 3) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
  TVXMapScanner scanner(std::vector<uint8_t>(corrupt.begin(), corrupt.end()));
  EXPECT_EQ(scanner.SegmentFromOffset(0x110), nullptr);
}

TEST(LoadDebugSource, AMapFileWinsOverATdsFile) {
  DebugFileFixture files;
  files.Write("Both.map", kMap);
  files.Write("Both.tds", "not looked at");
  const auto source = LoadDebugSource(files.Module("Both.exe"));
  ASSERT_NE(source, nullptr);
  EXPECT_NE(dynamic_cast<TVXDebugInfoMap*>(source.get()), nullptr);
}

TEST(LoadDebugSource, NoDebugFilesGiveNoSource) {
  DebugFileFixture files;
  files.Write("Other.map", kMap);
  EXPECT_EQ(LoadDebugSource(files.Module("None.exe")), nullptr);
  files.Write("Bad.map", "no sections here\r\n");
  files.Write("Bad.jdbg", "JDBG but far too short");
  EXPECT_EQ(LoadDebugSource(files.Module("Bad.exe")), nullptr);
}

TEST(ChangeFileExt, ReplacesOnlyTheFileExtension) {
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\prog.exe", ".map"), "C:\\a.b\\prog.map");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\prog", ".map"), "C:\\a.b\\prog.map");
  EXPECT_EQ(ChangeFileExt("/x/lib.so.1", ".tds"), "/x/lib.so.tds");
}

}  // namespace
