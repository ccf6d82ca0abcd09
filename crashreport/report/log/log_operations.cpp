#include "crashreport/report/log/log_operations.h"

#include "crashreport/report/log/report_items.h"
#include "rtl/convert.h"

namespace tarvex {

DuplicateCheck CheckDuplicate(LogStorage& storage, const std::string& fileName, std::string_view exceptionId,
                              bool updateCount) {
  TLogFile log(storage);
  DuplicateCheck check;
  check.error = log.Open(fileName, !updateCount);
  const int index = log.FindReportWithItem(kItemExceptionId, exceptionId);
  check.duplicate = index >= 0;
  if (check.duplicate && updateCount && check.error == LogError::None) {
    const int32_t count = rtl::TryStrToInt(log.GetItemValue(kItemCount, index)).value_or(1);
    log.SetItemValue(kItemCount, std::to_string(static_cast<int64_t>(count) + 1), index, kCountLabel);
    check.error = log.Save();
  }
  return check;
}

LogError StoreReport(LogStorage& storage, const std::string& fileName, std::string_view report, int32_t maxCount,
                     std::string* wholeLog) {
  TLogFile log(storage);
  const LogError opened = log.Open(fileName);
  log.AddReport(report, maxCount);
  if (wholeLog) *wholeLog = log.AllText();
  return opened == LogError::None ? log.Save() : opened;
}

LogError ClearLogOnNewVersion(LogStorage& storage, const std::string& fileName, std::string_view currentVersion,
                              bool& deleted) {
  deleted = false;
  TLogFile log(storage);
  const LogError opened = log.Open(fileName);
  if (opened != LogError::None || log.Count() == 0) return opened;
  const std::string version = log.GetItemValue(kItemVersion, log.Count() - 1);
  if (version.empty() || version == currentVersion) return LogError::None;
  const LogError error = log.Delete();
  deleted = error == LogError::None;
  return error;
}

LogError BuildXmlLog(LogStorage& storage, const std::string& logFile, const std::string& xmlFile) {
  TLogFile log(storage);
  const LogError opened = log.Open(logFile, true);
  return opened == LogError::None ? log.ExportXml(xmlFile) : opened;
}

}  // namespace tarvex
