// Finding the parts of a stored report.
#include <gtest/gtest.h>

#include "crashreport/report/log/report_sections.h"
#include "tests/report/log/log_fixtures.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

// The text of `report` from the line that starts with `first` to the end of
// the line that starts with `last` (searched after it).
std::string Between(const std::string& report, const std::string& first, const std::string& last) {
  const size_t begin = report.find("\r\n" + first) + 2;
  const size_t lastLine = report.find("\r\n" + last, begin) + 2;
  return report.substr(begin, report.find("\r\n", lastLine) + 2 - begin);
}

// The text after `after` up to `before`.
std::string Slice(const std::string& report, const std::string& after, const std::string& before) {
  const size_t begin = report.find(after) + after.size();
  return report.substr(begin, report.find(before, begin) - begin);
}

TEST(ReportSections, VersionsCompareAsText) {
  EXPECT_FALSE(IsVersionBelow("6.1.01 RC 1", "6.0"));
  EXPECT_FALSE(IsVersionBelow("6.0", "6.0"));
  EXPECT_TRUE(IsVersionBelow("5.9.9", "6.0"));
  EXPECT_TRUE(IsVersionBelow("10.0", "6.0"));
  EXPECT_TRUE(IsVersionBelow("", "5.0"));
}

TEST(ReportSections, EveryPartOfAFullReport) {
  const std::string& report = FullReport();
  EXPECT_EQ(ReportVersion(report), "6.1.01 RC 1");
  EXPECT_EQ(GeneralPart(report), report.substr(0, report.find("\r\n  7.6 DHCP      : Off\r\n") + 23));
  const std::string callStack = CallStackTable(report);
  EXPECT_TRUE(callStack.starts_with("-----------------------------------------------------------------------------------\r\n|Address "));
  EXPECT_TRUE(callStack.ends_with("|7C80A0B1|kernel32.dll  |                    |            |Sleep           |      |\r\n"
                                  "-----------------------------------------------------------------------------------\r\n"));
  EXPECT_EQ(ModulesTable(report), Slice(report, "Modules Information:\r\n", "\r\nProcesses Information:"));
  EXPECT_EQ(ProcessesTable(report), Slice(report, "Processes Information:\r\n", "\r\nAssembler Information:"));
  EXPECT_EQ(AssemblerListing(report), Between(report, "; shape_conversion", "0040A1B8  ret"));
  EXPECT_EQ(CpuBlock(report), Between(report, "Registers:", "0012FE68: 0040A1C6"));
}

TEST(ReportSections, AReportWithoutTheOptionalSections) {
  const std::string& report = MinimalReport();
  EXPECT_NE(CallStackTable(report).find("|0040C3D4|ZorvikCalc.exe|weapon_page.cpp|"), std::string::npos);
  EXPECT_EQ(ModulesTable(report), "");
  EXPECT_EQ(ProcessesTable(report), "");
  EXPECT_EQ(AssemblerListing(report), "");
  EXPECT_EQ(CpuBlock(report), "");
  EXPECT_EQ(OldReproduceText(report), "");
}

// The listing could not be read: no assembler caption, the CPU block follows
// the processes part after four line breaks.
TEST(ReportSections, ACpuBlockWithoutAnAssemblerListingBeforeIt) {
  const std::string& report = EmptyListingReport();
  EXPECT_EQ(AssemblerListing(report), "");
  EXPECT_EQ(CpuBlock(report),
            "Registers:\r\n-----------------------------\r\n"
            "EAX: 00000000   EDI: 0012FF60\r\nEBX: 7FFDF000   ESI: 00000001\r\n"
            "ECX: 00000000   ESP: 0012FE2C\r\nEDX: 00000003   EIP: 00000010\r\n\r\n"
            "Stack:               Memory Dump:\r\n"
            "------------------   ---------------------------------------------------------------------------\r\n");
}

TEST(ReportSections, OlderReportsHaveFewerParts) {
  std::string report = FullReport();
  report.replace(10, 11, "5.2.1");
  EXPECT_EQ(ReportVersion(report), "5.2.1");
  EXPECT_EQ(ProcessesTable(report), "");
  EXPECT_EQ(AssemblerListing(report), "");
  EXPECT_NE(ModulesTable(report), "");
  EXPECT_EQ(OldReproduceText(report), "");
  // Below 5.0 the steps to reproduce follow the third table's third caption.
  const std::string old =
      "TarvexLog 4.2.7\r\n\r\nApplication:\r\n-----\r\n  1.1 Name: App.exe\r\n\r\n"
      "Call Stack Information:\r\n---\r\n|A|\r\n---\r\n|1|\r\n---\r\n\r\n"
      "Modules Information:\r\n---\r\n|M|\r\n---\r\n|m|\r\n---\r\n\r\n"
      "Threads Information:\r\n---\r\n|T|\r\n---\r\n|t|\r\n---\r\n\r\n"
      "Registers:\r\n---\r\nEAX: 00000000   EDI: 00000000\r\n\r\n"
      "Stack:               Memory Dump:\r\n---   ---\r\n\r\n"
      "How To Reproduce:\r\n-----------------\r\nPress Convert\r\ntwice.\r\n\r\n";
  EXPECT_EQ(OldReproduceText(old), "Press Convert\r\ntwice.\r\n");
}

TEST(ReportSections, TextWithoutATableHasNoParts) {
  const std::string text = "TarvexLog 6.1.01 RC 1\r\n\r\nApplication:\r\n---\r\n  1.1 Name: x\r\n";
  EXPECT_EQ(ReportVersion(text), "6.1.01 RC 1");
  for (const auto reader : {GeneralPart, CallStackTable, ModulesTable, ProcessesTable, AssemblerListing, CpuBlock})
    EXPECT_EQ(reader(text), "");
  EXPECT_EQ(ReportVersion("TarvexLog"), "");
}

}  // namespace
