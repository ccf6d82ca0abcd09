// The fixture reports and logs beside the log store's tests (fixtures/, the
// folder VX_LOG_FIXTURES):
//   report_full.txt           every section: three thread blocks, modules and
//                             processes, assembler listing and CPU block with dump;
//                             "<", "&", bytes above 126 and a control character
//   report_minimal.txt        items 1.2, 2.8, 2.9, 5.6, 7.5 and Active Controls hidden,
//                             no modules, processes, assembler or CPU sections
//   report_empty_listing.txt  CPU block without an assembler listing before it
//                             (the exception address could not be read)
//   three_reports.elf         the three reports, in that order, as a log file
//   three_reports.xml         its XML export
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "crashreport/report/log/report_items.h"

namespace tarvex::testing {

inline std::string ReadFixture(const std::string& name) {
  std::ifstream file(std::string(VX_LOG_FIXTURES) + "/" + name, std::ios::binary);
  if (!file) throw std::runtime_error("missing fixture " + name);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

inline const std::string& FullReport() {
  static const std::string report = ReadFixture("report_full.txt");
  return report;
}
inline const std::string& MinimalReport() {
  static const std::string report = ReadFixture("report_minimal.txt");
  return report;
}
inline const std::string& EmptyListingReport() {
  static const std::string report = ReadFixture("report_empty_listing.txt");
  return report;
}

// `report` with item 2.7 (exception ID) and 2.6 (message) replaced: a report of another exception.
inline std::string OtherException(std::string report, const std::string& id, const std::string& message) {
  SetItemValue(report, kItemExceptionId, id, "ID");
  SetItemValue(report, kItemMessage, message, "Message");
  return report;
}

}  // namespace tarvex::testing
