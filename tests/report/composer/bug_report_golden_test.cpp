// Whole reports composed from the fixed crash, compared byte for byte (CR LF
// line ends included) with the reports kept in golden/. Set
// VX_UPDATE_GOLDEN=1 to rewrite them after a deliberate layout change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "crashreport/report/composer/bug_report.h"
#include "tests/report/composer/report_fixture.h"

namespace tarvex {
namespace {

using testing::ReportFixture;

struct GoldenCase {
  const char* name;
  std::function<void(ReportFixture&)> setUp;
  std::function<void(BugReport&)> splice;
};

std::string GoldenPath(const char* name) { return std::string(VX_REPORT_GOLDEN_DIR) + "/" + name + ".txt"; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

uint64_t WithoutBits(uint64_t fields, std::initializer_list<int> bits) {
  for (int bit : bits) fields &= ~(uint64_t{1} << bit);
  return fields;
}

const GoldenCase kCases[] = {
    {"all_items", [](ReportFixture&) {}, nullptr},
    // Item 1.2 hidden leaves a gap; every Exception item hidden drops the
    // section while User keeps number 3.
    {"hidden_items",
     [](ReportFixture& f) {
       f.options.SetReportFields(WithoutBits(f.options.ReportFields(), {1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
     },
     nullptr},
    {"no_module_or_cpu_sections", [](ReportFixture& f) { f.options.SetLogFlags(0); }, nullptr},
    // No thread context and an exception address whose code cannot be read.
    {"unreadable_code",
     [](ReportFixture& f) {
       f.facts.registers.reset();
       f.facts.exceptionAddress = 0x00500000;
     },
     nullptr},
    {"spliced_sections", [](ReportFixture&) {},
     [](BugReport& report) {
       // In the pipeline's order: custom data before the dialog, the reproduce text after it.
       report.SetCustomData("Custom Information", {{" Build ", " 417 "}, {"Channel", "beta"}});
       report.SetReproduceSteps("Request", "Clicked Convert twice\r\nwith letters in the field");
     }},
    // Translated words, the probes' labels included; the layout stays.
    {"translated_texts",
     [](ReportFixture& f) {
       f.options.SetText(mtApplication, "Anwendung");
       f.options.SetText(mtUserID, "Kennung");
       f.options.SetText(mtComputerName, "Rechnername");
       f.options.SetText(mtIPAddress, "IP-Adresse");
       f.options.SetText(mtExceptionThread, "Ausnahme-Thread");
       f.options.SetText(mtModuleHandle, "Basis");
       f.options.SetText(mtRegisters, "Register");
     },
     nullptr},
};

class BugReportGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(BugReportGoldenTest, MatchesTheKeptReport) {
  const GoldenCase& c = GetParam();
  ReportFixture fixture;
  c.setUp(fixture);
  BugReport report = ComposeBugReport(fixture.facts);
  if (c.splice) c.splice(report);

  const std::string path = GoldenPath(c.name);
  if (std::getenv("VX_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << report.Text();
  const std::string expected = ReadFile(path);
  ASSERT_FALSE(expected.empty()) << "missing " << path;
  EXPECT_EQ(report.Text(), expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Reports, BugReportGoldenTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvex
