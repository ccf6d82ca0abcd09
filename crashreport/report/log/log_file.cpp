#include "crashreport/report/log/log_file.h"

#include <exception>

#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/log_xml.h"
#include "crashreport/report/log/report_items.h"

namespace tarvex {

const char* LogErrorText(LogError error) {
  switch (error) {
    case LogError::None: return "no error";
    case LogError::Busy: return "another process kept the log file locked";
    case LogError::ReadFailed: return "the log file could not be read";
    case LogError::NotALog: return "the file is not a log file and is left as it is";
    case LogError::NotOpen: return "the log file is not open for writing";
    case LogError::WriteFailed: return "the log file could not be written";
    case LogError::DeleteFailed: return "the log file could not be deleted";
  }
  return "unknown log error";
}

LogError TLogFile::Open(const std::string& fileName, bool readOnly) {
  Close();
  fileName_ = fileName;
  lock_ = storage_.Lock(fileName, kLockWait);
  if (!lock_) return openError_ = LogError::Busy;
  LogError result = LogError::None;
  try {
    std::string bytes;
    switch (storage_.Read(fileName, bytes)) {
      case LogStorage::ReadResult::Missing:
        break;
      case LogStorage::ReadResult::Failed:
        result = LogError::ReadFailed;
        break;
      case LogStorage::ReadResult::Read:
        reports_ = ReadLogText(bytes);
        if (reports_.empty() && !IsReplaceableLogText(bytes)) result = LogError::NotALog;
        break;
    }
  } catch (const std::exception&) {  // out of memory for a huge file
    reports_.clear();
    result = LogError::ReadFailed;
  }
  if (readOnly) lock_.reset();
  openError_ = readOnly && result == LogError::None ? LogError::NotOpen : result;
  return result;
}

void TLogFile::Close() {
  reports_.clear();
  lock_.reset();
  openError_ = LogError::NotOpen;
}

void TLogFile::AddReport(std::string_view text, int32_t maxCount) {
  if (maxCount != -1) {
    const size_t keep = maxCount > 1 ? static_cast<size_t>(maxCount) - 1 : 0;
    if (reports_.size() > keep) reports_.erase(reports_.begin(), reports_.end() - static_cast<ptrdiff_t>(keep));
  }
  reports_.push_back(AsStoredReport(text));
}

LogError TLogFile::Save() {
  if (openError_ != LogError::None) return openError_;
  return storage_.Write(fileName_, AllText()) ? LogError::None : LogError::WriteFailed;
}

LogError TLogFile::Delete() {
  if (openError_ != LogError::None) return openError_;
  if (!storage_.Remove(fileName_)) return LogError::DeleteFailed;
  reports_.clear();
  return LogError::None;
}

std::string TLogFile::AllText() const { return WriteLogText(reports_); }

int TLogFile::FindReportWithItem(std::string_view number, std::string_view value) const {
  for (size_t i = reports_.size(); i-- > 0;)
    if (ItemHasValue(reports_[i], number, value)) return static_cast<int>(i);
  return -1;
}

std::string TLogFile::GetItemValue(std::string_view number, size_t index) const {
  return index < reports_.size() ? tarvex::GetItemValue(reports_[index], number) : std::string();
}

bool TLogFile::SetItemValue(std::string_view number, std::string_view value, size_t index, std::string_view label) {
  return index < reports_.size() && tarvex::SetItemValue(reports_[index], number, value, label);
}

std::string TLogFile::ExportXml() const { return tarvex::ExportXml(reports_); }

LogError TLogFile::ExportXml(const std::string& fileName) const {
  return storage_.Write(fileName, ExportXml()) ? LogError::None : LogError::WriteFailed;
}

}  // namespace tarvex
