// The log of stored reports as the handling sees it; the log file store
// provides it.
#pragma once

#include <string>

namespace tarvex {

class TReportLog {
 public:
  virtual ~TReportLog() = default;
  // Adds the report, keeping at most `maxReports` (each may throw on failure).
  virtual void Add(const std::string& report, int maxReports) = 0;
  virtual std::string WholeText() const = 0;
  virtual void Save() = 0;
  virtual void Close() = 0;
};

}  // namespace tarvex
