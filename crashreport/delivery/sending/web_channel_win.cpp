// The web channel of a delivery: an HTTP(S) or FTP upload of the archive, or
// the report filed in a bug tracker.
#include <windows.h>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/delivery/http/dialog_progress_win.h"
#include "crashreport/delivery/http/wininet_errors.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/delivery/sending/report_sending_win.h"
#include "crashreport/delivery/sending/web_uploads.h"
#include "crashreport/delivery/trackers/tracker_fields.h"
#include "crashreport/delivery/trackers/tracker_submission_win.h"
#include "crashreport/delivery/upload/upload_win.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "crashreport/report/sysinfo/sysinfo_os.h"
#include "crashreport/report/sysinfo/system_query_win.h"

namespace tarvex {

namespace {

// Closes the attempt's progress dialog however the attempt ends.
struct ProgressScope {
  ~ProgressScope() { CloseProgress(); }
};

bool IsTracker(TTarvexWebDelivery kind) { return kind == wdBugzilla || kind == wdFogBugz || kind == wdMantis; }

}  // namespace

bool TReportSending::SendWebOnce() {
  webFields_.clear();
  if (request_.Events != nullptr) request_.Events->Raise(&TTarvexEvents::OnCustomWebFieldsRequest, info_, webFields_);
  OpenProgressDialog();
  ProgressScope closing;
  return IsTracker(options_.WebDelivery()) ? FileInTracker() : UploadOnce();
}

bool TReportSending::UploadOnce() {
  const TTarvexWebDelivery kind = options_.WebDelivery();
  const char* name = kind == wdHTTP ? "HTTP" : kind == wdHTTPS ? "HTTPS" : "FTP";
  const TTarvexLogErrorCode code = kind == wdHTTP ? eeWebHTTPError : kind == wdHTTPS ? eeWebHTTPSError : eeWebFTPError;
  const TAttachments files = NamedAttachments();
  int result = kInvalidWebAddress;
  std::string errorText;
  if (kind == wdFTP) {
    if (const auto upload = FtpUploadFor(options_, files))
      result = UploadFTP(*upload, errorText, DialogUploadProgress(options_));
  } else if (const auto upload = HttpUploadFor(options_, kind == wdHTTPS, files, FieldsFromEntries(webFields_))) {
    result = UploadHTTP(*upload, errorText, DialogUploadProgress(options_));
  }
  if (result == kInvalidWebAddress && errorText.empty()) errorText = WinInetErrorText(kInvalidWebAddress);
  if (result == kUploadSent) return true;
  RecordDeliveryError(code, WebFailureMessage(name, result, errorText));
  return false;
}

bool TReportSending::FileInTracker() {
  TTrackerSubmission submission;
  submission.Tracker = options_.WebDelivery();
  submission.Version = request_.Version;
  submission.ExceptionType = request_.ExceptionType;
  submission.ExceptionMessage = info_.Message;
  submission.BugId = info_.ExceptionId;
  submission.Web = {options_.WebAddress(), options_.WebServerPort(), std::string(), std::string()};
  submission.Proxy = {options_.ProxyServer(), options_.ProxyServerPort(), options_.ProxyLogin(),
                      options_.ProxyLoginPassword()};
  submission.User = options_.TrackerLogin();
  submission.Password = options_.TrackerLoginPassword();
  submission.Project = Expanded(options_.TrackerProjectName());
  submission.Category = Expanded(options_.TrackerCategoryName());
  submission.AssignTo = Expanded(options_.TrackerAssignee());
  const TAttachments files = NamedAttachments();
  if (!files.empty()) submission.Archive = files.front().Path;
  // The tracker's own fields follow the host's, in this order.
  const WindowsSystemQuery system;
  submission.WebFields = webFields_;
  submission.WebFields.push_back("FogBugzTrialID=" + options_.TrackerTrialNumber());
  submission.WebFields.push_back("VX_OSType=" + ProbeOsType(system));
  submission.WebFields.push_back("VX_OSBuild=" + ProbeOsBuild(system));
  submission.WebFields.push_back("VX_ReproduceText=" + options_.ReproductionSteps());

  const TTrackerResult result = SubmitToTracker(submission, options_);
  if (result.Code == tcFiled) return true;
  if (result.Code == tcBugClosed) {
    if (ProgressWindow() != nullptr) {
      trackerClosed_ = true;
      MessageBoxA(nullptr, options_.Text(mtBugClosed).c_str(), options_.Text(mtInformation).c_str(),
                  MB_ICONINFORMATION | MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION);
    }
    return true;
  }
  RecordDeliveryError(eeWebTrakerError, TrackerFailureMessage(options_, result.Code, result.Status, result.StatusText));
  return false;
}

}  // namespace tarvex
