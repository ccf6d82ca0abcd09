#include "crashreport/callstack/debuginfo/embedded_line_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/base/util/base64.h"

namespace {

using namespace tarvex;

constexpr uint32_t kHandle = 0x400000;
constexpr uint32_t kCode = kHandle + kFirstSectionOffset;
constexpr char kKey[] = "build key";

// Builds table bytes by hand, in the record layout the reader documents.
struct Table {  // NOLINT
  uint16_t version = 6000;
  std::vector<uint8_t> bytes = {};

  Table& Raw(std::initializer_list<uint8_t> raw) { return bytes.insert(bytes.end(), raw), *this; }
  Table& U32(uint32_t v) { return Raw({uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
  // One stored-name piece, scrambled as `version` requires; `more` sets the continuation bit.
  Table& Piece(std::string text, bool more = false) {
    if (version < 500) {
      for (char& c : text) c = static_cast<char>(c ^ kOldNameXor);
    } else {
      ApplyDataKey(kKey, reinterpret_cast<uint8_t*>(text.data()), text.size());
    }
    bytes.push_back(static_cast<uint8_t>(text.size() | (more ? 0x80 : 0)));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  // A unit header whose records are `records`.
  Table& Unit(const std::string& name, uint32_t firstLine, uint32_t start, uint32_t size, const Table& records) {
    Piece(name).U32(firstLine).U32(start).U32(size).U32(static_cast<uint32_t>(records.bytes.size()));
    bytes.insert(bytes.end(), records.bytes.begin(), records.bytes.end());
    return *this;
  }
};

struct Answer {
  bool found = false;
  TVXStackLocation entry;
};

Answer Find(const Table& table, uint32_t offset, const BufferMemorySpace& memory = {}, bool dataValid = true,
            bool showOwnUnits = false) {
  TVXEmbeddedLineInfo module{table.bytes, table.version, kKey, dataValid, kHandle};
  Answer answer;
  answer.found = FindEmbeddedLocation(module, memory, kCode + offset, showOwnUnits, answer.entry);
  return answer;
}

Table OneUnit(const Table& records, uint16_t version = 6000, uint32_t size = 0x10000) {
  Table table{version};
  if (version >= 405 && version <= 499) table.U32(3).Raw({9, 9, 9});  // skipped block
  return table.U32(1).Unit("Main.cpp", 10, 0x100, size, records);
}

struct RecordCase {
  const char* what;
  uint16_t version;
  std::vector<uint8_t> records;
  uint32_t offset;  // from the unit start
  uint32_t line;
  const char* procedure;
};

class RecordEncoding : public testing::TestWithParam<RecordCase> {};

TEST_P(RecordEncoding, GivesTheLineOfTheRange) {
  const RecordCase& c = GetParam();
  Table records{c.version};
  records.bytes = c.records;
  if (c.records.size() > 0 && (c.records[0] & 3) == 1) records.Piece("Proc");  // one-byte procedure form
  const Answer answer = Find(OneUnit(records, c.version), 0x100 + c.offset);
  ASSERT_TRUE(answer.found);
  EXPECT_EQ(answer.entry.Line, c.line);
  EXPECT_EQ(answer.entry.ProcedureName, c.procedure);
  EXPECT_EQ(answer.entry.UnitName, "Main.cpp");
  EXPECT_EQ(answer.entry.InfoLevel, ilLine);
}

// Unit: first line 10, start 0x100. Offsets below are from the unit start.
INSTANTIATE_TEST_SUITE_P(
    EveryForm, RecordEncoding,
    testing::Values(
        // bit 0 clear: a = bits 1..5 + 1, l = bits 6..7 + 1   (a = 4, l = 2)
        RecordCase{"byte, last byte of range", 6000, {0x46}, 3, 10, ""},
        RecordCase{"byte, after the record", 6000, {0x46}, 4, 12, ""},
        RecordCase{"byte, largest steps", 6000, {0xFE}, 32, 14, ""},
        // bits 0,1 = 1,0: new procedure, a = bits 2..4 + 1, l = bits 5..7 + 1  (a = 8, l = 8)
        RecordCase{"byte proc, before it", 6000, {0xFD}, 7, 10, ""},
        RecordCase{"byte proc, after it", 6000, {0xFD}, 8, 18, "Proc"},
        // 16-bit word: a = bits 4..10 + 1, l = bits 11..15 + 1  (a = 128, l = 32)
        RecordCase{"word", 6000, {0xF3, 0xFF}, 127, 10, ""},
        RecordCase{"word, after it", 6000, {0xF3, 0xFF}, 128, 42, ""},
        // 32-bit word: l = bits 4..19 + 1 (signed), a = bits 20..31 + 1  (a = 4000, l = -5)
        RecordCase{"dword, negative line step", 6000, {0xAB, 0xFF, 0xFF, 0xF9}, 4000, 5, ""},
        RecordCase{"dword, inside", 6000, {0xAB, 0xFF, 0xFF, 0xF9}, 3999, 10, ""},
        // escape 0x0FFEFFFE (version 423 on): l = 0x63 + 1, a = 0x7FFF + 1
        RecordCase{"escape", 6000, {0xEB, 0xFF, 0xEF, 0xFF, 0x63, 0x00, 0xFF, 0x7F}, 0x7FFF, 10, ""},
        RecordCase{"escape, after it", 423, {0xEB, 0xFF, 0xEF, 0xFF, 0x63, 0x00, 0xFF, 0x7F}, 0x8000, 110, ""},
        // before 423 the same word is l = 0xFFFE + 1 (-1), a = 0xFFE + 1; then a byte record a = 2, l = 1
        RecordCase{"no escape before 423", 422, {0xEB, 0xFF, 0xEF, 0xFF, 0x02}, 4095, 9, ""},
        RecordCase{"no escape, next record", 422, {0xEB, 0xFF, 0xEF, 0xFF, 0x02}, 4097, 10, ""}),
    [](const testing::TestParamInfo<RecordCase>& info) {
      std::string name = info.param.what;
      for (char& c : name) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });


// Procedures: 32-bit record with address 0xFFF (step 0) and line 0xFFFF + 1
// (step 0) starts "Cls.Run" in place; ".Go" keeps the class; "@Init" has no
// class; the continuation bit joins pieces with ".".
Table ThreeProcedures(uint16_t version = 6000) {
  Table records{version};
  records.Raw({0xFF, 0xFF, 0xFF, 0xFF});
  if (version >= 502) records.Piece("Cls", true).Piece("Run");
  else records.Piece("Cls.Run");
  records.Raw({0x46});                      // a = 4, l = 2
  records.Raw({0x21}).Piece(".Go");         // proc, a = 1, l = 2
  records.Raw({0x07, 0x00}).Piece("@Init"); // proc word, a = 1, l = 1
  records.Raw({0x02});                      // a = 2, l = 1
  return records;
}

TEST(EmbeddedLineTable, NamesProceduresAndClasses) {
  struct Case {
    uint32_t offset;
    const char* className;
    const char* procedure;
    uint32_t line;
  };
  const Case cases[] = {{0x100, "Cls", "Run", 10}, {0x103, "Cls", "Run", 10}, {0x104, "Cls", "Run", 12},
                        {0x105, "Cls", "Go", 14},  {0x106, "", "_Init", 15},  {0x108, "", "_Init", 16},
                        {0xFFFF, "", "_Init", 16}};
  for (uint16_t version : {6000, 501, 450, 300}) {
    const Table table = OneUnit(ThreeProcedures(version), version);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "version " << version << " offset " << c.offset);
      const Answer answer = Find(table, c.offset);
      ASSERT_TRUE(answer.found);
      EXPECT_EQ(answer.entry.ClassName, c.className);
      EXPECT_EQ(answer.entry.ProcedureName, c.procedure);
      EXPECT_EQ(answer.entry.Line, c.line);
    }
  }
}

TEST(EmbeddedLineTable, AddressesOutsideEveryUnitAreUnknown) {
  const Table table = OneUnit(ThreeProcedures(), 6000, 0x20);
  for (uint32_t offset : {0x0u, 0xFFu, 0x120u, 0x7FFFFFFFu}) EXPECT_FALSE(Find(table, offset).found) << offset;
  EXPECT_TRUE(Find(table, 0x11F).found);
}

TEST(EmbeddedLineTable, LinesIntoProcCountFromTheProcedureStart) {
  // "Cls.Run" starts at 0x100, line 10; "Cls.Go" at 0x104 (line 12 + 2 = 14).
  struct Case {
    const char* what;
    std::vector<uint8_t> code;  // at the procedure start
    uint32_t offset;
    uint32_t linesIntoProc;
  };
  const Case cases[] = {
      {"push ebp; mov ebp,esp (8B EC)", {0x55, 0x8B, 0xEC}, 0x100, 0},
      {"push ebp; mov ebp,esp (89 E5)", {0x55, 0x89, 0xE5}, 0x104, 2},
      {"push ebx", {0x53, 0x90, 0x90}, 0x100, 0},
      {"no frame prologue", {0x83, 0xEC, 0x10}, 0x100, 1},
      {"no frame prologue, later line", {0x83, 0xEC, 0x10}, 0x104, 3},
      {"push ebp without the move", {0x55, 0x90, 0x90}, 0x100, 1},
  };
  const Table table = OneUnit(ThreeProcedures());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BufferMemorySpace memory;
    memory.Map(kCode + 0x100, c.code);
    const Answer answer = Find(table, c.offset, memory);
    ASSERT_TRUE(answer.found);
    EXPECT_EQ(answer.entry.LinesIntoProc, c.linesIntoProc);
  }
  // Unreadable code counts as no prologue.
  EXPECT_EQ(Find(table, 0x100).entry.LinesIntoProc, 1u);
}

TEST(EmbeddedLineTable, InitializationAndFinalizationFirstLines) {
  for (const char* name : {"Initialization", "Finalization"}) {
    Table records;
    records.Raw({0xFF, 0xFF, 0xFF, 0xFF}).Piece(name).Raw({0x46});
    BufferMemorySpace memory;
    memory.Map(kCode + 0x100, {0x55, 0x8B, 0xEC});
    const Answer answer = Find(OneUnit(records), 0x100, memory);
    ASSERT_TRUE(answer.found);
    EXPECT_EQ(answer.entry.LinesIntoProc, std::string(name) == "Initialization" ? 0u : 1u) << name;
  }
}

TEST(EmbeddedLineTable, UnitNames) {
  Table records;
  records.Raw({0x46});
  Table table;
  table.U32(2).Unit("Shapes", 1, 0, 0x10, records).Unit("dialog.cpp", 1, 0x10, 0x10, records);
  EXPECT_EQ(Find(table, 0x5).entry.UnitName, "Shapes.pas");  // no extension: ".pas" is added
  EXPECT_EQ(Find(table, 0x15).entry.UnitName, "dialog.cpp");
}

TEST(EmbeddedLineTable, NamesOfDataThatFailedItsCheckShowTheirStoredBytes) {
  Table table = OneUnit(ThreeProcedures(), 6000);
  const Answer answer = Find(table, 0x100, {}, /*dataValid=*/false);
  ASSERT_TRUE(answer.found);
  std::string unit = "Main.cpp", cls = "Cls";
  ApplyDataKey(kKey, reinterpret_cast<uint8_t*>(unit.data()), unit.size());
  ApplyDataKey(kKey, reinterpret_cast<uint8_t*>(cls.data()), cls.size());
  EXPECT_EQ(answer.entry.UnitName, "?" + Base64Encode(unit));  // and no ".pas"
  EXPECT_EQ(answer.entry.ClassName.substr(0, 1), "?");
  EXPECT_EQ(answer.entry.ClassName, "?" + Base64Encode(cls));
}

TEST(EmbeddedLineTable, AWrongKeyGivesOtherNames) {
  const Table table = OneUnit(ThreeProcedures());
  TVXEmbeddedLineInfo module{table.bytes, table.version, "other key", true, kHandle};
  TVXStackLocation entry;
  ASSERT_TRUE(FindEmbeddedLocation(module, BufferMemorySpace(), kCode + 0x104, false, entry));
  EXPECT_NE(entry.ProcedureName, "Run");
  EXPECT_EQ(entry.Line, 12u);
}

TEST(EmbeddedLineTable, NestedUnitsFollowingTheirOuterUnitWin) {
  Table outer, inner;
  outer.Raw({0xFF, 0xFF, 0xFF, 0xFF}).Piece("Outer").Raw({0x3E});  // a = 32, l = 1 ...
  inner.Raw({0xFF, 0xFF, 0xFF, 0xFF}).Piece("Inner").Raw({0x06});  // a = 4
  Table table;
  table.U32(4)
      .Unit("a.cpp", 100, 0x000, 0x100, outer)
      .Unit("b.cpp", 200, 0x040, 0x010, inner)
      .Unit("c.cpp", 300, 0x080, 0x010, inner)
      .Unit("d.cpp", 400, 0x100, 0x010, inner);  // starts outside a.cpp: ends the look-ahead
  struct Case {
    uint32_t offset;
    const char* unit;
  };
  for (const Case& c : {Case{0x10, "a.cpp"}, Case{0x45, "b.cpp"}, Case{0x60, "a.cpp"}, Case{0x8F, "c.cpp"},
                        Case{0xFF, "a.cpp"}, Case{0x100, "d.cpp"}}) {
    const Answer answer = Find(table, c.offset);
    ASSERT_TRUE(answer.found) << c.offset;
    EXPECT_EQ(answer.entry.UnitName, c.unit) << c.offset;
  }
}

TEST(EmbeddedLineTable, TheReportersOwnUnitsAreHiddenUnlessAsked) {
  Table records;
  records.Raw({0xFF, 0xFF, 0xFF, 0xFF}).Piece("Walk").Raw({0x46});
  Table table;
  table.U32(1).Unit("Embedded_Line_Table.cpp", 7, 0, 0x10, records);
  const Answer hidden = Find(table, 0x2);
  ASSERT_TRUE(hidden.found);
  EXPECT_EQ(hidden.entry.InfoLevel, ilModule);
  EXPECT_EQ(hidden.entry.UnitName, "");
  EXPECT_EQ(hidden.entry.ProcedureName, "");
  EXPECT_EQ(hidden.entry.Line, 0u);
  const Answer shown = Find(table, 0x2, {}, true, /*showOwnUnits=*/true);
  EXPECT_EQ(shown.entry.InfoLevel, ilLine);
  EXPECT_EQ(shown.entry.ProcedureName, "Walk");
  EXPECT_TRUE(IsReporterOwnUnit("data_key.cpp"));
  EXPECT_FALSE(IsReporterOwnUnit("main.cpp"));
}

TEST(EmbeddedLineTable, CorruptTablesGiveNoAnswerWithoutFaulting) {
  const Table table = OneUnit(ThreeProcedures(), 6000, 0x20);
  // Every truncation, and every single-byte corruption, of a valid table.
  for (size_t cut = 0; cut < table.bytes.size(); ++cut) {
    Table shorter = table;
    shorter.bytes.resize(cut);
    Find(shorter, 0x105);
  }
  for (size_t at = 0; at < table.bytes.size(); ++at) {
    for (uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
      Table corrupt = table;
      corrupt.bytes[at] = value;
      for (uint32_t offset : {0x100u, 0x105u, 0x11Fu}) Find(corrupt, offset);
    }
  }
  Table huge;
  huge.U32(0xFFFFFFFF).Piece("x").U32(1).U32(0).U32(0xFFFFFFFF).U32(0xFFFFFFF0);
  EXPECT_FALSE(Find(huge, 0x10).found);
  EXPECT_FALSE(Find(Table{}, 0).found);
}

}  // namespace
