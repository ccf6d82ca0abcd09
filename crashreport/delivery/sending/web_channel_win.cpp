// The web channel of a delivery: an HTTP(S) or FTP upload of the archive.
#include <windows.h>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/delivery/http/dialog_progress_win.h"
#include "crashreport/delivery/http/wininet_errors.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/delivery/sending/report_sending_win.h"
#include "crashreport/delivery/sending/web_uploads.h"
#include "crashreport/delivery/upload/upload_win.h"
#include "crashreport/dialogs/progress/send_progress_win.h"

namespace tarvex {

namespace {

// Closes the attempt's progress dialog however the attempt ends.
struct ProgressScope {
  ~ProgressScope() { CloseProgress(); }
};

}  // namespace

bool TReportSending::SendWebOnce() {
  webFields_.clear();
  if (request_.Events != nullptr) request_.Events->Raise(&TTarvexEvents::OnCustomWebFieldsRequest, info_, webFields_);
  OpenProgressDialog();
  ProgressScope closing;
  return UploadOnce();
}

bool TReportSending::UploadOnce() {
  const TTarvexWebDelivery kind = options_.WebDelivery();
  if (kind != wdHTTP && kind != wdHTTPS && kind != wdFTP) {
    // Bug trackers take the report through their own forms, which this
    // library does not fill in yet: the channel fails as an unknown error.
    RecordDeliveryError(eeWebTrakerError, options_.Text(mtUnknownError));
    return false;
  }
  const char* name = kind == wdHTTP ? "HTTP" : kind == wdHTTPS ? "HTTPS" : "FTP";
  const TTarvexLogErrorCode code = kind == wdHTTP ? eeWebHTTPError : kind == wdHTTPS ? eeWebHTTPSError : eeWebFTPError;
  const TAttachments files = NamedAttachments();
  int result = kInvalidWebAddress;
  std::string errorText;
  if (kind == wdFTP) {
    if (const auto upload = FtpUploadFor(options_, files))
      result = UploadFTP(*upload, errorText, DialogUploadProgress(options_));
  } else if (const auto upload = HttpUploadFor(options_, kind == wdHTTPS, files, FormFieldsFrom(webFields_))) {
    result = UploadHTTP(*upload, errorText, DialogUploadProgress(options_));
  }
  if (result == kInvalidWebAddress && errorText.empty()) errorText = WinInetErrorText(kInvalidWebAddress);
  if (result == kUploadSent) return true;
  RecordDeliveryError(code, WebFailureMessage(name, result, errorText));
  return false;
}

}  // namespace tarvex
