// TLogFile: one open log file and its stored reports, oldest first.
//
// Opened for writing, the log holds the log's lock (LogStorage::Lock) until it
// is closed, so that re-reading the file, changing its reports and saving them
// is one step for every other process that stores into the same log. The lock
// belongs to the thread that opened the log: open and close it on one thread. A file
// that could not be read, or that is some other file than a log, is never
// written or deleted.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "crashreport/report/log/log_storage.h"

namespace tarvex {

enum class LogError {
  None,
  Busy,         // another process held the log's lock for the whole wait
  ReadFailed,   // the file exists but could not be read
  NotALog,      // the file holds something else; it is left as it is
  NotOpen,      // no log is open for writing
  WriteFailed,
  DeleteFailed,
};

// A short English description, for the internal error log.
const char* LogErrorText(LogError error);

class TLogFile {
 public:
  static constexpr std::chrono::milliseconds kLockWait{10000};

  explicit TLogFile(LogStorage& storage) : storage_(storage) {}
  virtual ~TLogFile() = default;
  TLogFile(const TLogFile&) = delete;
  TLogFile& operator=(const TLogFile&) = delete;

  // Loads the reports of `fileName`; a missing file gives an empty log.
  // Read only, the lock is held only while the file is read.
  virtual LogError Open(const std::string& fileName, bool readOnly = false);
  // Forgets the reports and releases the lock.
  virtual void Close();

  const std::string& FileName() const { return fileName_; }
  size_t Count() const { return reports_.size(); }
  const std::string& Report(size_t index) const { return reports_.at(index); }
  const std::vector<std::string>& Reports() const { return reports_; }

  // Appends `text` (line ends normalised, ending with a line break). Unless
  // `maxCount` is -1, the oldest reports go first until maxCount - 1 remain.
  virtual void AddReport(std::string_view text, int32_t maxCount);
  // Writes every report to the file (see log_text.h), cut after the last byte.
  virtual LogError Save();
  // Deletes the log file; the log is then empty.
  virtual LogError Delete();

  // The file's text as Save writes it.
  std::string AllText() const;
  // The newest report whose item `number` carries exactly `value`; -1 when none does.
  int FindReportWithItem(std::string_view number, std::string_view value) const;
  std::string GetItemValue(std::string_view number, size_t index) const;
  bool SetItemValue(std::string_view number, std::string_view value, size_t index, std::string_view label);

  // The XML document of every report (log_xml.h); written to `fileName`.
  std::string ExportXml() const;
  LogError ExportXml(const std::string& fileName) const;

 private:
  LogStorage& storage_;
  std::string fileName_;
  std::unique_ptr<LogLock> lock_;
  LogError openError_ = LogError::NotOpen;  // what keeps Save and Delete from touching the file
  std::vector<std::string> reports_;
};

}  // namespace tarvex
