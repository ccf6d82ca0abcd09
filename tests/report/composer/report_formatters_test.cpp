#include <gtest/gtest.h>

#include "crashreport/report/composer/bug_report.h"
#include "crashreport/report/composer/general_sections.h"
#include "crashreport/report/composer/log_item.h"
#include "crashreport/report/composer/report_formatters.h"
#include "crashreport/report/composer/report_tables.h"

namespace tarvex {
namespace {

constexpr double kNewYear2025Noon = 45658.5;  // Wed, 1 Jan 2025 12:00:00

TEST(FormatMailDate, ZoneIsSignedWholeHoursWithTwoDigits) {
  const struct {
    int zone;
    const char* expected;
  } cases[] = {
      {0, "Wed, 1 Jan 2025 12:00:00 +0000"},  {1, "Wed, 1 Jan 2025 12:00:00 +0100"},
      {-5, "Wed, 1 Jan 2025 12:00:00 -0500"}, {6, "Wed, 1 Jan 2025 12:00:00 +0600"},  // UTC+5:30 rounded
      {10, "Wed, 1 Jan 2025 12:00:00 +1000"}, {-12, "Wed, 1 Jan 2025 12:00:00 -1200"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMailDate(kNewYear2025Noon, c.zone), c.expected) << c.zone;
}

TEST(FormatMailDate, DecodesDaysAcrossLeapYearsAndTheEpoch) {
  EXPECT_EQ(FormatMailDate(0, 0), "Sat, 30 Dec 1899 00:00:00 +0000");
  EXPECT_EQ(FormatMailDate(45351 + 0.75, 0), "Thu, 29 Feb 2024 18:00:00 +0000");
  // A time a hair below the next second is rounded, not cut to the earlier second.
  EXPECT_EQ(FormatFileDate(kNewYear2025Noon + 2.0 / 86400 - 1e-10), "2025-01-01 12:00:02");
}

TEST(FormatFileDate, IsIsoLikeWith24HourClock) {
  EXPECT_EQ(FormatFileDate(kNewYear2025Noon + 11.5 / 24), "2025-01-01 23:30:00");
}

TEST(CellTexts, BarsAndLineBreaksCannotBreakATable) {
  EXPECT_EQ(SanitizeCell("a|b\r\nc\rd\ne"), "a?b??c?d?e");
  EXPECT_EQ(CollapseControlChars("Form\r\n\t text\x01"), "Form  text ");
}

TEST(FolderForTable, KeepsADriveRootAndDropsTheNtPrefix) {
  EXPECT_EQ(FolderForTable("C:\\x.dll"), "C:\\");
  EXPECT_EQ(FolderForTable("\\??\\C:\\WINDOWS\\system32\\x.dll"), "C:\\WINDOWS\\system32");
  EXPECT_EQ(FolderForTable("System"), "");
}

// One section-builder call: a header (no value) or an item.
struct LogStep {
  const char* label;
  const char* value = nullptr;  // null: AddHeader(label)
  bool visible = true;
};

struct LogCase {
  const char* name;
  std::vector<LogStep> steps;
  const char* expected;
};

const LogCase kLogCases[] = {
    {"hidden items leave gaps and separators line up",
     {{"Application"}, {"Start Date", "today"}, {"Name", "x.exe", false}, {"Version Number", "1.0"}},
     "Application:\r\n"
     "---------------------------\r\n"
     "  1.1 Start Date    : today\r\n"
     "  1.3 Version Number: 1.0\r\n"},
    {"an all-hidden section disappears and later numbers stay",
     {{"A"}, {"x", "1"}, {"Exception"}, {"Date", "now", false}, {"User"}, {"ID", "bob"}},
     "A:\r\n----------\r\n  1.1 x: 1\r\n\r\nUser:\r\n-------------\r\n  3.1 ID: bob\r\n"},
    // Lone CR and lone LF are line ends too; an empty line prints "."; ": " prints ":_".
    {"a multi-line value continues in the value column",
     {{"User"}, {"ID", "bob"}, {"Privileges", "First\r\rSecond: on\nThird"}},
     "User:\r\n"
     "----------------------------\r\n"
     "  1.1 ID        : bob\r\n"
     "  1.2 Privileges: First\r\n"
     "                  .\r\n"
     "                  Second:_on\r\n"
     "                  Third\r\n"},
    // A continuation line ending in ":" looks like a caption but has no dash line under it.
    {"a caption-like value line is not taken for a section",
     {{"User"}, {"Privileges", "Admins\r\nGroups:"}},
     "User:\r\n"
     "-------------------------\r\n"
     "  1.1 Privileges: Admins\r\n"
     "                  Groups:\r\n"},
};

TEST(CommandLineParameters, WhateverSpellingNamesTheProgram) {
  const std::string program = "C:\\Program Files\\Zorvik\\ZorvikCalc.exe";
  const struct {
    const char* commandLine;
    const char* parameters;
  } cases[] = {
      {"\"C:\\Program Files\\Zorvik\\ZorvikCalc.exe\" -page 2", "-page 2"},
      {"C:\\Program Files\\Zorvik\\ZorvikCalc.exe -page 2", "-page 2"},
      {"c:\\program files\\zorvik\\zorvikcalc.exe", ""},
      {"  \"C:\\Program Files\\Zorvik\\ZorvikCalc.exe\"  ", ""},
      {"ZorvikCalc.exe -page 2", "-page 2"},  // started by a relative name
      {"ZorvikCalc", ""},
      {"\"Zorvik\\ZorvikCalc.exe\" \"a b\"", "\"a b\""},
      {"\\\\?\\Z:\\work\\ZorvikCalc.exe", ""},  // another spelling of the path
      {"\"unclosed", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineParameters(c.commandLine, program), c.parameters) << c.commandLine;
}

TEST(TLogItem, BuildsNumberedAlignedSections) {
  for (const LogCase& c : kLogCases) {
    TLogItem log;
    for (const LogStep& step : c.steps) {
      if (step.value) log.AddItem(step.label, step.value, step.visible);
      else log.AddHeader(step.label);
    }
    EXPECT_EQ(log.BuildText(), c.expected) << c.name;
  }
}

TEST(TLogItem, NumberBaseStartsLaterSections) {
  TLogItem log(7);
  log.AddHeader("Request");
  log.AddItem("", "steps", true);
  EXPECT_EQ(log.BuildText(), "Request:\r\n-------------\r\n  8.1 : steps\r\n");
}

TEST(ReportToHtml, EscapesInOrderAndKeepsBlanksAndLineBreaks) {
  EXPECT_EQ(ReportToHtml("a&<b> \"q\" 'x'  y\r\nz"),
            "a&amp;&lt;b&gt; &quot;q&quot; &#039;x&#039;&nbsp;&nbsp;y<br>\r\nz");
}

TEST(WithBackButton, AddsTheButtonOnlyOnce) {
  const std::string page = WithBackButton("Error");
  ASSERT_EQ(page.rfind("Error<br><input type=button value=\"Ok\"", 0), 0u);
  EXPECT_EQ(WithBackButton(page), page);
  std::string upper = page;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(WithBackButton(upper), upper);  // already there, in other case
}

}  // namespace
}  // namespace tarvex
