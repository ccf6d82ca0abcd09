// The log steps of an exception's handling. Each opens the log, holding its
// lock for the whole read-change-write, and closes it before it returns; the
// handling records a failure under "Log" and may retry the step.
#pragma once

#include <string>
#include <string_view>

#include "crashreport/report/log/log_file.h"
#include "crashreport/report/log/log_storage.h"

namespace tarvex {

struct DuplicateCheck {
  bool duplicate = false;  // a stored report has the same exception ID (item 2.7)
  LogError error = LogError::None;
};

// Looks for a stored report whose item 2.7 is `exceptionId`. With
// `updateCount`, the newest such report's item 2.8 (Count) is raised by one
// (a value that is no number counts as 1; a hidden Count gets a line) and the
// log is saved.
DuplicateCheck CheckDuplicate(LogStorage& storage, const std::string& fileName, std::string_view exceptionId,
                              bool updateCount);

// Adds `report` to the log keeping at most `maxCount` reports (-1: all) and
// saves it. With `wholeLog`, it receives the log's whole text (for sending the
// whole log). Not called for a duplicate.
LogError StoreReport(LogStorage& storage, const std::string& fileName, std::string_view report, int32_t maxCount,
                     std::string* wholeLog = nullptr);

// Deletes the log when its newest report names another program version in
// item 1.3 than `currentVersion` (an empty item deletes nothing); `deleted`
// tells whether it did.
LogError ClearLogOnNewVersion(LogStorage& storage, const std::string& fileName, std::string_view currentVersion,
                              bool& deleted);

// Writes the XML document of the log `logFile` (opened read only) to `xmlFile`.
LogError BuildXmlLog(LogStorage& storage, const std::string& logFile, const std::string& xmlFile);

}  // namespace tarvex
