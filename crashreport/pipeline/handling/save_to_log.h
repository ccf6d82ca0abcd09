// Saving the report to the log, with the retry an error handler may ask for.
#pragma once

#include <functional>
#include <string>

#include "crashreport/pipeline/handling/exception_events.h"
#include "crashreport/pipeline/handling/report_log.h"

namespace tarvex {

struct SaveToLogRequest {
  std::string Report;
  bool WriteLog = true;       // the options write the log: action and error events are raised
  bool IsDuplicate = false;   // already stored: only the file is written
  bool KeepWholeLog = false;  // keep the whole log's text for sending
  int MaxReports = 0;
};

struct SaveToLogResult {
  bool Saved = false;
  bool Skipped = false;       // the before-save action event cleared its go-on flag
  std::string WholeLog;       // with KeepWholeLog
};

// Before-save action event; then add and write, and on failure a warning
// "Log" through `warn` and, when the log is written, the error event, whose
// handler may ask to try again; then close the log and the after-save event.
SaveToLogResult SaveToLog(const SaveToLogRequest& request, TReportLog& log, const TEventRoute& events,
                          TExceptionInfo& info, const std::function<void(const std::string& message)>& warn);

}  // namespace tarvex
