// The XML export of a log: the expected document and its escapes.
#include <gtest/gtest.h>

#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/log_xml.h"
#include "crashreport/report/log/report_items.h"
#include "tests/report/log/log_fixtures.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(LogXml, ALogExportsTheExpectedDocument) {
  const std::string document = ExportXml(ReadLogText(ReadFixture("three_reports.elf")));
  EXPECT_EQ(document, ReadFixture("three_reports.xml"));
  EXPECT_EQ(Occurrences(document, "<Log Version=\"6.1.01 RC 1\">"), 3u);
}

TEST(LogXml, ValuesAreEscaped) {
  const struct {
    std::string value, escaped;
  } cases[] = {
      {"plain text 0-9 ;:=", "plain text 0-9 ;:="},
      {"<a & b>", "&#060;a &#038; b&#062;"},
      {"\"quoted\" 'single'", "&#034;quoted&#034; &#039;single&#039;"},
      {"\xCB\xD8\x7F\xFF", "&#203;&#216;&#127;&#255;"},
      {"tab\tCR\rLF\n", "tab&#009;CR&#013;LF&#010;"},
      {std::string("nul\0bell\a esc\x1b unit\x1f", 20), "nul bell  esc  unit "},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeXml(c.value), c.escaped) << c.value;
}

TEST(LogXml, MissingSectionsAreSelfClosingElements) {
  const std::string xml = ReportXml(MinimalReport()).WriteXml();
  for (const char* element : {"  <Modules/>\r\n", "  <Processes/>\r\n", "  <Assembler/>\r\n", "  <CPU/>\r\n"})
    EXPECT_NE(xml.find(element), std::string::npos) << element;
  const std::string emptyListing = ReportXml(EmptyListingReport()).WriteXml();
  EXPECT_NE(emptyListing.find("  <Assembler/>\r\n  <CPU>\r\n    <Registers EAX=\"00000000\""), std::string::npos);
  EXPECT_EQ(ExportXml({}), "<Doc>\r\n</Doc>\r\n");
}

TEST(LogXml, UnknownRegistersAreLeftOut) {
  const std::string known =
      "EAX: 00000000   EDI: 0012FF60\r\nEBX: 7FFDF000   ESI: 00000001\r\n"
      "ECX: 00000000   ESP: 0012FE2C\r\nEDX: 00000003   EIP: 00000010\r\n";
  const std::string unknown =
      "EAX: ????       EDI: ????    \r\nEBX: ????       ESI: ????    \r\n"
      "ECX: ????       ESP: 0012FE2C\r\nEDX: ????       EIP: ????    \r\n";
  std::string report = EmptyListingReport();
  report.replace(report.find(known), known.size(), unknown);
  EXPECT_NE(ReportXml(report).WriteXml().find(
                "  <CPU>\r\n    <Registers ESP=\"0012FE2C\"/>\r\n    <Stack/>\r\n    <MemoryDump/>\r\n  </CPU>"),
            std::string::npos);
}

}  // namespace
