// One delivery of one report: the temporary files, the attachments and their
// archive, the e-mail and the web channel with their events and retries, the
// outcome for the user, and the clean-up.
//
// Temporary files, in the user's temporary folder:
//   <log file name>       the text sent (report, or the whole log), ending in CR LF CR LF CR LF
//   <log file name>.xml   the report as an XML log         (IncludeXMLReport)
//   LastHTMLPage.html     the web application's last page  (IncludeLastHTMLPage)
//   Screenshot.png        made by the screenshot at exception time (IncludeScreenshot)
//   BugReport.zip         every attachment, packed
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "crashreport/delivery/outcome/attachment.h"
#include "crashreport/pipeline/handling/handling_parts.h"

namespace tarvex {

class TReportSending {
 public:
  // `options` are the exception's options; both must outlive Run.
  TReportSending(const TDeliveryRequest& request, const TTarvexModuleOptions& options);
  TReportSending(const TReportSending&) = delete;
  TReportSending& operator=(const TReportSending&) = delete;

  // Sends by every configured channel and tells the outcome; the temporary
  // files are removed also when a step raises, and the exception goes on.
  // True when every channel succeeded.
  bool Run();

 private:
  void WriteTemporaryFiles();
  void PrepareAttachments(bool forMail);
  // One channel: the before-event (it may stop the channel), attempts until
  // one succeeds or no handler asks for another, the after-event.
  bool RunChannel(TActionCode before, TActionError failed, TActionCode after, const std::function<bool()>& attempt);
  bool SendMailOnce();
  bool SendWebOnce();
  bool UploadOnce();
  bool FileInTracker();
  void TellOutcome(bool sent);
  void KeepArchive();
  void RemoveTemporaryFiles();

  TAttachments NamedAttachments() const;
  std::string AttachmentName(const std::string& path) const;
  std::string Expanded(const std::string& text) const;
  void OpenProgressDialog();

  const TDeliveryRequest& request_;
  const TTarvexModuleOptions& options_;
  TExceptionInfo info_;
  std::string textToSend_;
  std::string folder_;  // the temporary folder, with its trailing backslash
  std::string reportFile_, xmlFile_, htmlFile_, archive_;
  bool htmlWritten_ = false;
  bool archiveWritten_ = false;
  std::vector<std::string> attachments_;  // after packing: the archive alone
  std::vector<std::string> webFields_;  // "name=value", from the host's event
  bool trackerClosed_ = false;
};

}  // namespace tarvex
