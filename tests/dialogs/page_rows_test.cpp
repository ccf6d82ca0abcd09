#include "crashreport/dialogs/detailed/page_rows.h"

#include <gtest/gtest.h>

#include "tests/report/composer/report_fixture.h"

namespace tarvex {
namespace {

using Cells = std::vector<std::string>;

TEST(CallStackRows, GroupsFollowTheReportsThreadBlocks) {
  testing::ReportFixture fixture;
  TListViewRows rows;
  FillCallStackRows(rows, fixture.options, &fixture.stack, fixture.facts.threadDetails);
  ASSERT_EQ(rows.Count(), 10);
  // The exception entry opens the first group; its thread line has no "*" and no empty class.
  EXPECT_TRUE(rows[0].isHeader);
  EXPECT_EQ(rows[0].headerText, "Exception Thread: ID=2316; Priority=0; [Main]");
  EXPECT_EQ(rows[0].headerKind, hkOwnStack | hkExceptionEntry);
  EXPECT_EQ(rows[1].cells, (Cells{"0040100A", "ZorvikCalc.exe", "Unit1.pas", "TForm1", "Button1Click", "41[1]"}));
  EXPECT_EQ(rows[1].icon, liSourceLine);
  // A later live stack follows a separator; a saved (calling) stack does not.
  EXPECT_TRUE(rows[4].isSeparator);
  EXPECT_EQ(rows[5].headerText, "Running Thread: ID=3120; Priority=1; Class=TWorkerThread");
  EXPECT_EQ(rows[5].headerKind, hkOwnStack);
  EXPECT_EQ(rows[6].icon, liLibrary);  // a procedure-only entry: by module kind
  EXPECT_EQ(rows[6].cells[5], "");     // no line
  EXPECT_TRUE(rows[7].isHeader);
  EXPECT_EQ(rows[7].headerKind, 0);
  EXPECT_EQ(rows[7].headerText.rfind("Calling Thread: ID=3120", 0), 0u);
}

TEST(CallStackRows, UnitOnlyEntriesOfTheProgramAreLeftOut) {
  testing::ReportFixture fixture(2);
  auto unitEntry = [&](TTarvexModuleInfo* module, const char* procedure) {
    auto item = std::make_unique<TTarvexStackItem>();
    item->ThreadID = fixture.stack[0].ThreadID;
    item->Tag = 1;
    item->InfoLevel = ilUnit;
    item->ModuleInfo = module;
    item->ProcedureName = procedure;
    fixture.stack.Add(std::move(item));
  };
  fixture.modules[0].ModuleKind = mkExecutable;
  fixture.modules[1].ModuleKind = mkPackage;
  unitEntry(&fixture.modules[0], "InTheProgram");
  unitEntry(&fixture.modules[1], "InAPackage");
  TListViewRows rows;
  FillCallStackRows(rows, fixture.options, &fixture.stack, fixture.facts.threadDetails);
  // The fixture's two entries, then a new block (separator, header) with the package's entry only.
  ASSERT_EQ(rows.Count(), 7);
  EXPECT_TRUE(rows[5].isHeader);
  EXPECT_EQ(rows[6].cells[4], "InAPackage");
  EXPECT_EQ(rows[6].icon, liPackage);
}

TEST(ModuleRows, ShowShortVersionsKilobytesDatesAndFolders) {
  testing::ReportFixture fixture;
  TListViewRows rows;
  FillModuleRows(rows, &fixture.modules);
  ASSERT_EQ(rows.Count(), 4);
  EXPECT_EQ(rows[0].icon, liExecutable);
  EXPECT_EQ(rows[1].icon, liLibrary);
  EXPECT_EQ(rows[2].cells, (Cells{"7C800000", "kernel32.dll", "Windows NT BASE API Client DLL", "5.1.x", "967 Kb",
                                  "2025-01-03 12:00:00", "C:\\WINDOWS\\system32"}));
  EXPECT_EQ(rows[1].cells[6], "C:\\");
  EXPECT_EQ(rows[1].cells[2], "Helper | with a bar and a break");
}

TEST(ProcessRows, UnknownThreadCountsShowQuestionMarks) {
  testing::ReportFixture fixture;
  TListViewRows rows;
  FillProcessRows(rows, &fixture.processes);
  ASSERT_EQ(rows.Count(), 4);
  EXPECT_EQ(rows[1].cells, (Cells{"8", "proc1.exe", "Process 1", "5.1.x", "200 Kb", "Low", "??",
                                  "C:\\WINDOWS\\system32"}));
  EXPECT_EQ(rows[0].cells[1], "System");
  EXPECT_EQ(rows[0].cells[7], "");
  EXPECT_EQ(rows[0].icon, liExecutable);
}

TEST(PageRowTexts, VersionsAndSizes) {
  EXPECT_EQ(ShortVersion("6.0.2900.5512"), "6.0.x");
  EXPECT_EQ(ShortVersion("5.1.2"), "5.1.x");
  EXPECT_EQ(ShortVersion("1.0"), "1.0");
  EXPECT_EQ(ShortVersion(""), "");
  EXPECT_EQ(KilobytesText(1536), "2 Kb");
  EXPECT_EQ(KilobytesText(1535), "1 Kb");
  EXPECT_EQ(KilobytesText(0), "");
  EXPECT_EQ(KilobytesText(4294967295u), "4194304 Kb");
}

}  // namespace
}  // namespace tarvex
