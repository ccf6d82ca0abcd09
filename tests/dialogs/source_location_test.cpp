#include "crashreport/dialogs/detailed/source_location.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/dialogs/detailed/page_rows.h"
#include "tests/report/composer/report_fixture.h"

namespace tarvex {
namespace {

std::string TextAt(const SourceLocationRecord& record, size_t offset) {
  return std::string(reinterpret_cast<const char*>(record.data() + offset));  // stops at the field's zero
}

uint32_t NumberAt(const SourceLocationRecord& record, size_t offset) {
  return record[offset] | record[offset + 1] << 8 | record[offset + 2] << 16 | uint32_t{record[offset + 3]} << 24;
}

TEST(SourceLocation, ARowsEntryFillsTheRecordAtItsOffsets) {
  testing::ReportFixture fixture;
  TListViewRows rows;
  FillCallStackRows(rows, fixture.options, &fixture.stack, fixture.facts.threadDetails);
  ASSERT_GE(rows[1].source, 0);  // the first entry row under the exception thread's header
  const SourceLocationRecord record = MakeSourceLocationRecord(fixture.stack[rows[1].source], 0x1234);

  static_assert(sizeof(SourceLocationRecord) == 376);
  EXPECT_EQ(TextAt(record, 0), "ZorvikCalc.exe");
  EXPECT_EQ(TextAt(record, 90), "Unit1.pas");
  EXPECT_EQ(TextAt(record, 180), "TForm1");
  EXPECT_EQ(TextAt(record, 270), "Button1Click");
  EXPECT_EQ(NumberAt(record, 360), 0x0040100Au);
  EXPECT_EQ(NumberAt(record, 364), 41u);
  EXPECT_EQ(NumberAt(record, 368), 1u);
  EXPECT_EQ(NumberAt(record, 372), 0x1234u);
  EXPECT_EQ(record[90 + 9], 0) << "the rest of a text field is zero";
  EXPECT_EQ(record[179], 0);
}

TEST(SourceLocation, LongTextsAreCutAndStayTerminated) {
  TTarvexStackItem entry;
  entry.ProcedureName = std::string(200, 'p');
  entry.UnitName = std::string(89, 'u');
  const SourceLocationRecord record = MakeSourceLocationRecord(entry, 1);
  EXPECT_EQ(TextAt(record, 270), std::string(89, 'p'));
  EXPECT_EQ(record[270 + 89], 0);
  EXPECT_EQ(TextAt(record, 90), std::string(89, 'u'));
  EXPECT_EQ(TextAt(record, 0), "") << "no module";
  EXPECT_EQ(NumberAt(record, 360), 0u);
}

TEST(SourceLocation, EachListenerHasAMailslotNamedAfterItsProcess) {
  EXPECT_EQ(SourceLocationMailslot(4321), "\\\\.\\mailslot\\TarvexLog4321");
}

}  // namespace
}  // namespace tarvex
