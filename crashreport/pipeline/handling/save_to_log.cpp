#include "crashreport/pipeline/handling/save_to_log.h"

#include "crashreport/pipeline/handling/internal_errors.h"
#include "rtl/exception.h"

namespace tarvex {

SaveToLogResult SaveToLog(const SaveToLogRequest& request, TReportLog& log, const TEventRoute& events,
                          TExceptionInfo& info, const std::function<void(const std::string& message)>& warn) {
  SaveToLogResult result;
  if (request.WriteLog && !events.Action(info, acBeforeSaveLog)) {
    result.Skipped = true;
    return result;
  }
  bool retry = false;
  do {
    std::string failure;
    try {
      if (!request.IsDuplicate) log.Add(request.Report, request.MaxReports);
      if (request.KeepWholeLog) result.WholeLog = log.WholeText();
      log.Save();
      result.Saved = true;
    } catch (const rtl::Exception& e) {
      failure = InternalWarningMessage("Log", &e);
    } catch (...) {
      failure = InternalWarningMessage("Log", nullptr);
    }
    retry = false;
    if (!result.Saved) {
      warn(failure);
      retry = request.WriteLog && events.Retry(info, aeSaveLog);
    }
  } while (retry);
  try {
    log.Close();
  } catch (...) {
    warn(InternalWarningMessage("Log", nullptr));
  }
  if (request.WriteLog) events.Action(info, acAfterSaveLog);
  return result;
}

}  // namespace tarvex
