// Every document the log exports is well-formed XML 1.0, as a real parser
// (Python's) sees it, whatever bytes the log holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/log_xml.h"
#include "crashreport/report/log/report_items.h"
#include "tests/report/log/log_fixtures.h"
#include "tests/support/scratch_path.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

// Python's XML parser reads `document`, and every Log element has a non-empty Version.
::testing::AssertionResult WellFormed(const std::string& document) {
  static int count = 0;
  const std::string path =
      testsupport::ScratchPath("log_export_" + std::to_string(++count) + ".xml").string();
  std::ofstream(path, std::ios::binary) << document;
  const std::string command =
      "/usr/bin/python3 -c 'import sys, xml.dom.minidom\n"
      "logs = xml.dom.minidom.parse(sys.argv[1]).getElementsByTagName(\"Log\")\n"
      "sys.exit(0 if all(log.getAttribute(\"Version\") for log in logs) else 3)' " +
      path + " 2>&1";
  std::string output;
  FILE* python = popen(command.c_str(), "r");
  if (!python) return ::testing::AssertionFailure() << "cannot start python3";
  for (char buffer[256]; std::fgets(buffer, sizeof buffer, python);) output += buffer;
  const int status = pclose(python);
  std::filesystem::remove(path);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "python3 rejects the document (status " << status << "): " << output;
}

TEST(LogXmlParser, TheExpectedDocumentIsWellFormed) {
  EXPECT_TRUE(WellFormed(ExportXml(ReadLogText(ReadFixture("three_reports.elf")))));
  EXPECT_TRUE(WellFormed(ReadFixture("three_reports.xml")));
  EXPECT_FALSE(WellFormed("<Doc>\r\n  <Log Version=\"\"/>\r\n</Doc>\r\n"));  // the check can fail
  EXPECT_FALSE(WellFormed("<Doc>\r\n  <Log Version=\"a\x01\"/>\r\n</Doc>\r\n"));
}

// Every byte value in every place a value comes from still gives a document an XML parser reads.
TEST(LogXmlParser, EveryByteValueGivesAWellFormedDocument) {
  std::string bytes;
  for (int c = 1; c < 256; ++c)
    if (c != '\r' && c != '\n' && c != '|') bytes += static_cast<char>(c);
  std::string report = FullReport();
  SetItemValue(report, "2.6", bytes, "Message");
  SetItemValue(report, "3.5", "a\r\n" + bytes + "\r\nb", "Privileges");
  const size_t row = report.find("|0040A1B2|");
  report.replace(row + 1, 8, bytes.substr(0, 8));
  report.replace(report.find("Form Class"), 4, bytes.substr(40, 4));
  report[10] = '<';  // the version
  const std::string document = ExportXml({report, MinimalReport(), EmptyListingReport()});
  EXPECT_TRUE(WellFormed(document));
  EXPECT_EQ(document.find('\0'), std::string::npos);
  // Whatever a log holds, its export reads.
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7919 % 251);
  EXPECT_TRUE(WellFormed(ExportXml({FullReport() + binary, "TarvexLog " + binary})));
}

}  // namespace
