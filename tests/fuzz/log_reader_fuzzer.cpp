// libFuzzer target: the log file reader over arbitrary bytes (seeded with the
// fixture logs and reports). Every report read back writes and reads again to
// the same reports; every section reader, item reader and writer runs on it;
// its XML export holds only characters XML 1.0 allows, each "&" opening a
// character reference.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/log_xml.h"
#include "crashreport/report/log/report_items.h"
#include "crashreport/report/log/report_sections.h"

namespace {

using namespace tarvex;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckXml(std::string_view xml) {
  for (size_t i = 0; i < xml.size(); ++i) {
    const auto c = static_cast<unsigned char>(xml[i]);
    Check((c >= 32 && c < 127) || c == '\r' || c == '\n');
    if (c == '&') {
      Check(i + 5 < xml.size() && xml[i + 1] == '#' && xml[i + 5] == ';');
      for (size_t digit = i + 2; digit < i + 5; ++digit) Check(xml[digit] >= '0' && xml[digit] <= '9');
    }
  }
}

void ReadReport(const std::string& report) {
  Check(report.ends_with("\r\n") && report.find(kTableStart) != std::string::npos);
  for (const auto reader : {ReportVersion, GeneralPart, CallStackTable, ModulesTable, ProcessesTable,
                            AssemblerListing, CpuBlock, OldReproduceText})
    Check(reader(report).size() <= report.size());
  for (const char* number : {"1.3", "2.7", "3.5"}) {
    const std::string value = GetItemValue(report, number);
    Check(value.size() <= report.size());
  }
  std::string counted = report;
  if (SetItemValue(counted, kItemCount, "7", kCountLabel))
    Check(GetItemValue(counted, kItemCount) == "7" && ItemHasValue(counted, kItemCount, "7"));
  CheckXml(ReportXml(report).WriteXml());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> reports = ReadLogText(bytes);
  Check(ReadLogText(WriteLogText(reports)) == reports);
  if (reports.empty()) IsReplaceableLogText(bytes);
  for (const std::string& report : reports) ReadReport(report);
  return 0;
}
