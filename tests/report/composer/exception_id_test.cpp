#include <gtest/gtest.h>

#include "crashreport/report/composer/bug_report.h"
#include "crashreport/report/composer/exception_id.h"
#include "tests/report/composer/report_fixture.h"

namespace tarvex {
namespace {

std::string IdOf(testing::ReportFixture& fixture) { return ComposeBugReport(fixture.facts).exceptionID; }

TEST(ExceptionID, IsCrc16OfModulesTypeAndTheRaisingThreadsLines) {
  TTarvexStackList stack;
  auto item = std::make_unique<TTarvexStackItem>();
  item->InfoLevel = ilLine;
  item->UnitName = "U";
  item->ProcedureName = "P";
  item->LinesIntoProc = 3;
  stack.Add(std::move(item));
  // CRC-16/XMODEM of "a.exeb.dllEU" + "U" + "" + "P" + "3".
  EXPECT_EQ(ComputeExceptionID("a.exe", "b.dll", "E", &stack), "49F1");
  EXPECT_EQ(ComputeExceptionID("", "", "", nullptr), "0000");
}

TEST(ExceptionID, SameFailureTwiceGivesTheSameID) {
  testing::ReportFixture first, second;
  second.facts.exceptionTime += 1;  // a day later, other times and message
  second.facts.exceptionMessage = "Another text";
  EXPECT_EQ(IdOf(first), IdOf(second));
  EXPECT_EQ(IdOf(first).size(), 4u);
}

TEST(ExceptionID, AnotherProcedureOrLineGivesAnotherID) {
  testing::ReportFixture base;
  const std::string id = IdOf(base);
  testing::ReportFixture otherProcedure;
  otherProcedure.stack[0].ProcedureName = "Button2Click";
  testing::ReportFixture otherLine;
  otherLine.stack[0].LinesIntoProc += 1;
  testing::ReportFixture otherType;
  otherType.facts.exceptionType = "EConvertError";
  EXPECT_NE(IdOf(otherProcedure), id);
  EXPECT_NE(IdOf(otherLine), id);
  EXPECT_NE(IdOf(otherType), id);
}

TEST(ExceptionID, OtherThreadsAndEntriesWithoutLinesDoNotCount) {
  testing::ReportFixture base;
  const std::string id = IdOf(base);
  testing::ReportFixture changed;
  for (int i = 0; i < changed.stack.Count(); ++i) {
    TTarvexStackItem& item = changed.stack[i];
    if (item.ThreadID != changed.stack[0].ThreadID || item.InfoLevel != ilLine) item.ProcedureName = "Elsewhere";
  }
  EXPECT_EQ(IdOf(changed), id);
}

}  // namespace
}  // namespace tarvex
