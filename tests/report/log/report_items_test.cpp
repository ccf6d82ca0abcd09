// Reading, comparing and rewriting the numbered items of a stored report.
#include <gtest/gtest.h>

#include "crashreport/report/log/report_items.h"
#include "tests/report/log/log_fixtures.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(ReportItems, ValuesReadWithTheirLayoutUndone) {
  const struct {
    const char* number;
    std::string value;
  } cases[] = {
      {"2.7", "4A3F"},
      {"2.10", ""},
      {"2.1", "Sat, 3 Feb 2024 10:16:07 +0100"},
      {"1.2", "ZorvikCalc.exe - (Zorvik <material> calculator & Zorvik\xCB\xD8\xB2\xC4\xBC\xC6\xCB\xE3\xB9\xA4\xBE\xDF)"},
      {"3.5", "SeShutdownPrivilege\r\n \r\nSeChangeNotifyPrivilege: enabled"},  // "." a blank, ":_" a ": "
      {"7.6", "Off"},
      {"2.11", ""},
      {"8.1", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetItemValue(FullReport(), c.number), c.value) << c.number;
}

TEST(ReportItems, AValueMatchesOnlyAsTheReportLaysItOut) {
  EXPECT_TRUE(ItemHasValue(FullReport(), "2.7", "4A3F"));
  EXPECT_FALSE(ItemHasValue(FullReport(), "2.7", "4A3"));
  EXPECT_FALSE(ItemHasValue(FullReport(), "2.7", "4A3F0"));
  EXPECT_FALSE(ItemHasValue(FullReport(), "2.8", "4A3F"));
  EXPECT_TRUE(ItemHasValue(FullReport(), "3.5", "SeShutdownPrivilege\r\n\r\nSeChangeNotifyPrivilege: enabled"));
  EXPECT_TRUE(ItemHasValue(FullReport(), "3.5", "SeShutdownPrivilege\n  \nSeChangeNotifyPrivilege: enabled"));
  EXPECT_FALSE(ItemHasValue(FullReport(), "3.5", "SeShutdownPrivilege"));
  EXPECT_FALSE(ItemHasValue(MinimalReport(), "2.8", "1"));  // hidden
}

TEST(ReportItems, ARewrittenValueKeepsTheColumn) {
  std::string report = FullReport();
  ASSERT_TRUE(SetItemValue(report, "2.8", "2", "Count"));
  EXPECT_EQ(report, Replaced(FullReport(), "  2.8 Count         : 1\r\n", "  2.8 Count         : 2\r\n"));
  ASSERT_TRUE(SetItemValue(report, "2.8", "10", "Count"));
  EXPECT_EQ(report, Replaced(FullReport(), "  2.8 Count         : 1\r\n", "  2.8 Count         : 10\r\n"));
  ASSERT_TRUE(SetItemValue(report, "2.10", "seen before", "Note"));
  EXPECT_EQ(GetItemValue(report, "2.10"), "seen before");
  EXPECT_EQ(GetItemValue(report, "3.1"), "tester");
}

TEST(ReportItems, AMultiLineValueIsLaidOutInTheValueColumn) {
  std::string report = FullReport();
  ASSERT_TRUE(SetItemValue(report, "3.5", "A: b\r\n\r\nC", "Privileges"));
  EXPECT_NE(report.find("\r\n  3.5 Privileges: A:_b\r\n                  .\r\n                  C\r\n\r\nActive"),
            std::string::npos);
  EXPECT_EQ(GetItemValue(report, "3.5"), "A: b\r\n \r\nC");
}

TEST(ReportItems, AHiddenItemGetsALineAtTheEndOfItsSection) {
  std::string report = MinimalReport();
  ASSERT_TRUE(SetItemValue(report, "2.8", "2", "Count"));
  EXPECT_EQ(report, Replaced(MinimalReport(), "  2.10 Note         : \r\n",
                             "  2.10 Note         : \r\n  2.8 Count         : 2\r\n"));
  EXPECT_EQ(GetItemValue(report, "2.8"), "2");
  // Section 3 ends with a multi-line item: the new line goes after its last line.
  ASSERT_TRUE(SetItemValue(report, "3.9", "x", "Extra"));
  EXPECT_NE(report.find("SeChangeNotifyPrivilege:_enabled\r\n  3.9 Extra     : x\r\n\r\n"), std::string::npos);
  // A section the report does not have.
  EXPECT_FALSE(SetItemValue(report, "4.1", "TForm", "Form Class"));
}

TEST(ReportItems, ALineThatLostItsLastBlankStillHoldsItsValue) {
  std::string report = Replaced(FullReport(), "  2.10 Note         : \r\n", "  2.10 Note         :\r\n");
  EXPECT_TRUE(ItemHasValue(report, "2.10", ""));
  ASSERT_TRUE(SetItemValue(report, "2.10", "n", "Note"));
  EXPECT_NE(report.find("\r\n  2.10 Note         : n\r\n"), std::string::npos);
}

}  // namespace
