// The log steps of the handling over the log file store: the log the
// options name, its duplicate count, its version check, and saving a report.
#pragma once

#include <string>

#include "crashreport/report/log/log_file.h"
#include "crashreport/report/log/log_storage.h"
#include "crashreport/pipeline/handling/handling_parts.h"
#include "crashreport/pipeline/handling/report_log.h"

namespace tarvex {

class LogFileSystem;
class MacroValues;

class TLogFileHandlingLog : public THandlingLog, private TReportLog {
 public:
  TLogFileHandlingLog(LogStorage& storage, LogFileSystem& files, const MacroValues& macros);

  bool FindDuplicate(const TTarvexModuleOptions& options, const std::string& id, bool count) override;
  void ClearOnNewVersion(const TTarvexModuleOptions& options, const std::string& version) override;
  TReportLog& ReportLog(const TTarvexModuleOptions& options) override;

 private:
  // TReportLog over the open log file; a failure raises ETarvexLogError.
  void Add(const std::string& report, int maxReports) override;
  std::string WholeText() const override;
  void Save() override;
  void Close() override;

  std::string FileName(const TTarvexModuleOptions& options) const;
  TLogFile& Opened() const;

  LogStorage& storage_;
  LogFileSystem& files_;
  const MacroValues& macros_;
  mutable TLogFile log_;
  mutable bool open_ = false;
  std::string fileName_;
};

}  // namespace tarvex
