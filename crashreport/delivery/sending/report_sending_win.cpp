#include "crashreport/delivery/sending/report_sending_win.h"

#include <windows.h>

#include "crashreport/base/options/attachment_files.h"
#include "crashreport/base/options/log_file_name.h"
#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/local_files_win.h"
#include "crashreport/base/util/macros.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/delivery/sending/attachment_list.h"
#include "crashreport/delivery/sending/kept_archives.h"
#include "crashreport/delivery/zip/zip_writer.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "crashreport/report/composer/report_formatters.h"
#include "crashreport/report/log/log_xml.h"

namespace tarvex {

namespace {

constexpr const char* kTextEnd = "\r\n\r\n\r\n";

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> FileNamesIn(const std::string& folder, const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

TReportSending::TReportSending(const TDeliveryRequest& request, const TTarvexModuleOptions& options)
    : request_(request), options_(options), info_(request.Info) {}

bool TReportSending::Run() {
  ClearDeliveryError(info_.Address);
  struct Cleanup {
    TReportSending& sending;
    ~Cleanup() { sending.RemoveTemporaryFiles(); }
  } cleanup{*this};
  WriteTemporaryFiles();

  bool sent = true;
  if (options_.MailDelivery() != mdNone) {
    PrepareAttachments(true);
    sent = RunChannel(acBeforeEmail, aeEmail, acAfterEmail, [this] { return SendMailOnce(); });
  }
  if (options_.WebDelivery() != wdNone) {
    // Without a mail archive, or when the mail carried the report in its body, the web gets its own.
    if (options_.MailDelivery() == mdNone || options_.AppendReportToMessage()) PrepareAttachments(false);
    sent = RunChannel(acBeforeWeb, aeWeb, acAfterWeb, [this] { return SendWebOnce(); }) && sent;
  }
  TellOutcome(sent);
  return sent;
}

void TReportSending::WriteTemporaryFiles() {
  folder_ = TemporaryFolder();
  const std::string logName =
      ExtractFileName(LogFileName(options_, std::string(), ThisLogFileSystem(), ProcessMacroValues()));
  reportFile_ = folder_ + logName;
  xmlFile_ = ChangeFileExt(reportFile_, ".xml");
  htmlFile_ = folder_ + "LastHTMLPage.html";
  archive_ = folder_ + kArchiveName;

  textToSend_ = request_.WholeLog.empty() ? request_.ReportText : request_.WholeLog;
  if (!textToSend_.ends_with(kTextEnd)) textToSend_ += kTextEnd;
  // A file that cannot be written is simply not attached.
  WriteWholeFile(reportFile_, textToSend_);
  const uint16_t flags = options_.SendFlags();
  if (!request_.LastHTMLPage.empty() && (flags & sfIncludeLastHTMLPage) != 0)
    htmlWritten_ = WriteWholeFile(htmlFile_, request_.LastHTMLPage);
  if ((flags & sfIncludeXMLReport) != 0) WriteWholeFile(xmlFile_, ExportXml({request_.ReportText}));
}

void TReportSending::PrepareAttachments(bool forMail) {
  const uint16_t flags = options_.SendFlags();
  TAttachmentSources sources;
  sources.ExtraAttachments = options_.ExtraAttachments();
  sources.ReportFile = reportFile_;
  sources.ReportInMessage = forMail && options_.AppendReportToMessage();
  if (request_.ScreenshotSaved && (flags & sfIncludeScreenshot) != 0) sources.Screenshot = folder_ + "Screenshot.png";
  if (htmlWritten_) sources.LastHTMLPage = htmlFile_;
  if ((flags & sfIncludeXMLReport) != 0) sources.XmlReport = xmlFile_;
  attachments_ = BuildAttachmentList(sources, ProcessMacroValues());
  if (request_.Events != nullptr) request_.Events->Raise(&TTarvexEvents::OnAttachedFilesRequest, info_, attachments_);

  std::erase_if(attachments_, [](const std::string& file) { return !FileExists(file); });
  if (!attachments_.empty()) {
    TZipWriter zip(archive_, options_.ArchivePassword());
    for (const std::string& file : attachments_) zip.AddFile(file, ExtractFileName(file));
    archiveWritten_ = archiveWritten_ || zip.IsOpen();
  }
  attachments_ = {archive_};
}

bool TReportSending::RunChannel(TActionCode before, TActionError failed, TActionCode after,
                                const std::function<bool()>& attempt) {
  TEventRoute* events = request_.Events;
  if (events != nullptr && !events->Action(info_, before)) return false;
  bool sent = false;
  do {
    sent = attempt();
  } while (!sent && events != nullptr && events->Retry(info_, failed));
  return events != nullptr ? events->Action(info_, after, sent) : sent;
}

void TReportSending::TellOutcome(bool sent) {
  if (!sent && (options_.BehaviourFlags() & bfClipboardOnFailure) != 0) CopyTextToClipboard(request_.ReportText);
  if ((options_.SendFlags() & sfShowDeliveryResult) != 0 && !trackerClosed_ && request_.DialogsAllowed) {
    const UINT icon = sent ? MB_ICONINFORMATION : MB_ICONERROR;
    MessageBoxA(nullptr, options_.Text(sent ? mtSentSuccessfully : mtSendingFailed).c_str(),
                options_.Text(mtInformation).c_str(), icon | MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION);
  }
  if (!sent && (options_.BehaviourFlags() & bfSaveArchiveOnFailure) != 0) KeepArchive();
}

void TReportSending::KeepArchive() {
  if (!archiveWritten_ || !FileExists(archive_)) return;
  const std::string logFolder = WithTrailingSeparator(
      ExtractFilePath(LogFileName(options_, std::string(), ThisLogFileSystem(), ProcessMacroValues())));
  // An archive kept earlier under the same name gives way to this one.
  const std::string kept = logFolder + AttachmentName(archive_);
  if (!MoveFileExA(archive_.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return;
  for (const std::string& name : ArchivesToPrune(FileNamesIn(logFolder, "*.zip"))) DeleteFileForced(logFolder + name);
}

void TReportSending::RemoveTemporaryFiles() {
  for (const std::string* file : {&archive_, &xmlFile_, &reportFile_})
    if (!file->empty()) DeleteFileForced(*file);
  if (htmlWritten_) DeleteFileForced(htmlFile_);
}

TAttachments TReportSending::NamedAttachments() const {
  TAttachments named;
  for (const std::string& path : attachments_)
    if (FileExists(path)) named.push_back({path, AttachmentName(path)});
  return named;
}

std::string TReportSending::AttachmentName(const std::string& path) const {
  const CivilTime time = DecodeDateTime(request_.ExceptionTime);
  const CalendarTime when{time.year, time.month, time.day, time.hour, time.minute, time.second};
  return AttachmentDisplayName(path, options_.SendFlags(), FileNameComputerName(ThisLogFileSystem().ComputerName()),
                               when);
}

std::string TReportSending::Expanded(const std::string& text) const { return ExpandMacros(text, ProcessMacroValues()); }

void TReportSending::OpenProgressDialog() {
  TProgressRequest progress;
  progress.Options = &options_;
  progress.DialogsAllowed = request_.DialogsAllowed;
  progress.Inline = request_.Inline;
  OpenProgress(progress, (options_.SendFlags() & sfDeliverInBackground) == 0);
}

}  // namespace tarvex
