#include "crashreport/pipeline/handling/handling_log_file.h"

#include "crashreport/report/log/log_operations.h"
#include "crashreport/base/options/log_file_name.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

class ETarvexLogError : public rtl::Exception {
  RTL_EXCEPTION_CLASS(ETarvexLogError, rtl::Exception)
 public:
  using Exception::Exception;
};

void Check(LogError error) {
  if (error != LogError::None) throw ETarvexLogError(LogErrorText(error));
}

}  // namespace

TLogFileHandlingLog::TLogFileHandlingLog(LogStorage& storage, LogFileSystem& files, const MacroValues& macros)
    : storage_(storage), files_(files), macros_(macros), log_(storage) {}

std::string TLogFileHandlingLog::FileName(const TTarvexModuleOptions& options) const {
  return LogFileName(options, std::string(), files_, macros_);
}

bool TLogFileHandlingLog::FindDuplicate(const TTarvexModuleOptions& options, const std::string& id, bool count) {
  const DuplicateCheck check = CheckDuplicate(storage_, FileName(options), id, count);
  Check(check.error);
  return check.duplicate;
}

void TLogFileHandlingLog::ClearOnNewVersion(const TTarvexModuleOptions& options, const std::string& version) {
  bool deleted = false;
  Check(ClearLogOnNewVersion(storage_, FileName(options), version, deleted));
}

TReportLog& TLogFileHandlingLog::ReportLog(const TTarvexModuleOptions& options) {
  Close();
  fileName_ = FileName(options);
  return *this;
}

TLogFile& TLogFileHandlingLog::Opened() const {
  if (!open_) {
    Check(log_.Open(fileName_));
    open_ = true;
  }
  return log_;
}

void TLogFileHandlingLog::Add(const std::string& report, int maxReports) { Opened().AddReport(report, maxReports); }

std::string TLogFileHandlingLog::WholeText() const { return Opened().AllText(); }

void TLogFileHandlingLog::Save() { Check(Opened().Save()); }

void TLogFileHandlingLog::Close() {
  if (!open_) return;
  open_ = false;
  log_.Close();
}

}  // namespace tarvex
