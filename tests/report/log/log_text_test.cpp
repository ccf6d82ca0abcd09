// The log file's bytes: writing, reading back, and files that are not what they should be.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "crashreport/report/log/log_text.h"
#include "tests/report/log/log_fixtures.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

std::vector<std::string> ThreeReports() { return {FullReport(), MinimalReport(), EmptyListingReport()}; }

std::string WithoutTrailingBreaks(std::string text) {
  while (text.ends_with("\r\n")) text.resize(text.size() - 2);
  return text;
}

TEST(LogText, WritesTheExpectedBytes) { EXPECT_EQ(WriteLogText(ThreeReports()), ReadFixture("three_reports.elf")); }

TEST(LogText, ReadsEveryReportBackWhole) {
  const std::vector<std::string> reports = ReadLogText(ReadFixture("three_reports.elf"));
  ASSERT_EQ(reports.size(), 3u);
  for (const std::string& report : reports) EXPECT_TRUE(report.starts_with("TarvexLog 6.1.01 RC 1\r\n")) << report;
  EXPECT_EQ(reports, ThreeReports());
}

// Every order of reports that end with one line break, two, or hold four in a
// row before their CPU block reads back as written.
TEST(LogText, AnyOrderOfReportsReadsBackAsWritten) {
  std::vector<std::string> reports = ThreeReports();
  std::sort(reports.begin(), reports.end());
  do {
    for (size_t count = 1; count <= reports.size(); ++count) {
      const std::vector<std::string> some(reports.begin(), reports.begin() + count);
      EXPECT_EQ(ReadLogText(WriteLogText(some)), some);
    }
  } while (std::next_permutation(reports.begin(), reports.end()));
}

TEST(LogText, AStoredReportEndsWithALineBreak) {
  EXPECT_EQ(AsStoredReport("TarvexLog 6.1.01 RC 1\nline\rend"), "TarvexLog 6.1.01 RC 1\r\nline\r\nend\r\n");
  EXPECT_EQ(AsStoredReport("a\r\n"), "a\r\n");
  const std::string unbroken = "TarvexLog 6.1.01 RC 1\r\nCall Stack Information:\r\n-\r\n|row|";
  EXPECT_EQ(ReadLogText(WriteLogText({AsStoredReport(unbroken)})), std::vector{unbroken + "\r\n"});
}

TEST(LogText, LineEndsOfAnyKindReadAsCrLf) {
  std::string lf = ReadFixture("three_reports.elf"), cr = lf;
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  cr.erase(std::remove(cr.begin(), cr.end(), '\n'), cr.end());
  EXPECT_EQ(ReadLogText(lf), ThreeReports());
  EXPECT_EQ(ReadLogText(cr), ThreeReports());
  EXPECT_EQ(NormalizeLineBreaks("a\rb\nc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
}

TEST(LogText, DamagedOrForeignTextIsDropped) {
  const std::string log = WriteLogText({FullReport()}) + "\r\ngarbage without a table\r\n-----\r\n\r\n\r\n\r\n" +
                          WriteLogText({MinimalReport()});
  EXPECT_EQ(ReadLogText(log), (std::vector{FullReport(), MinimalReport()}));
  EXPECT_EQ(ReadLogText("\r\n\r\n\r\n" + WriteLogText({MinimalReport()})), std::vector{MinimalReport()});
  // A table without a header line is no report, whether it looks like a section or not.
  for (const std::string junk : {"x\x01-\r|\x02", "Junk:\r\n-\r\n|x|", "\xff-\n|"}) {
    EXPECT_TRUE(ReadLogText(junk).empty()) << junk;
    EXPECT_EQ(ReadLogText(WriteLogText({FullReport()}) + junk), std::vector{FullReport()}) << junk;
    EXPECT_EQ(ReadLogText(junk + "\r\n\r\n\r\n\r\n" + WriteLogText({FullReport()})), std::vector{FullReport()})
        << junk;
  }
}

TEST(LogText, AHandWrittenFileHoldsNoReportAndIsNotALog) {
  const std::string note = "Dear developer,\r\nthe program crashed twice today.\r\n\r\n\r\n\r\nRegards:\r\n--\r\n";
  EXPECT_TRUE(ReadLogText(note).empty());
  EXPECT_FALSE(IsReplaceableLogText(note));
  EXPECT_TRUE(IsReplaceableLogText(""));
  EXPECT_TRUE(IsReplaceableLogText("\r\n\r\n \t"));
  EXPECT_TRUE(IsReplaceableLogText("\r\nTarvexLog 6.1.01 RC 1\r\n\r\nApplication:\r\n---"));  // cut short while written
}

// A log cut anywhere keeps every report before the cut as it was; the report
// the cut went through is kept when its call stack table had begun, as what
// was left of it.
TEST(LogText, ALogCutAnywhereKeepsWhatWasWhole) {
  const std::string log = ReadFixture("three_reports.elf");
  const std::vector<std::string> whole = ThreeReports();
  for (size_t cut = 0; cut <= log.size(); cut += 37) {
    const std::vector<std::string> reports = ReadLogText(log.substr(0, cut));
    ASSERT_LE(reports.size(), whole.size()) << cut;
    for (size_t i = 0; i < reports.size(); ++i) {
      if (i + 1 < reports.size()) {
        EXPECT_EQ(reports[i], whole[i]) << cut;
      } else {
        EXPECT_TRUE(whole[i].starts_with(WithoutTrailingBreaks(reports[i]))) << cut;
      }
    }
  }
}

TEST(LogText, BinaryBytesNeverBreakTheReader) {
  std::mt19937 random(7);
  std::string bytes(1 << 16, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  EXPECT_TRUE(ReadLogText(bytes).empty());
  EXPECT_FALSE(IsReplaceableLogText(bytes));
  // Binary data around a report leaves the report readable.
  const std::vector<std::string> reports = ReadLogText(WriteLogText({FullReport()}) + bytes);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports[0], FullReport());
}

}  // namespace
