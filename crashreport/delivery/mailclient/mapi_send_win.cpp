// Simple MAPI through the mail client's own library. The structures and
// function types are mingw-w64's <mapi.h>, which has the whole Simple MAPI
// set with its documented field layout (all fields 32 bits wide on i686).
#include <windows.h>
// <windows.h> first: <mapi.h> builds on its types.
#include <mapi.h>

#include <string>
#include <vector>

#include "crashreport/base/util/win_handles_win.h"
#include "crashreport/delivery/mailclient/mail_client_registry_win.h"
#include "crashreport/delivery/mailclient/mail_client_win.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/delivery/outcome/recipients.h"
#include "crashreport/report/composer/report_formatters.h"

namespace tarvex {

namespace {

// Mail clients change the current directory (their compose window's file
// dialogs); the program must not find itself elsewhere afterwards.
class CurrentDirectoryKept {
 public:
  CurrentDirectoryKept() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    directory_.resize(size);
    directory_.resize(GetCurrentDirectoryA(size, directory_.data()));
  }
  ~CurrentDirectoryKept() {
    if (!directory_.empty()) SetCurrentDirectoryA(directory_.c_str());
  }
  CurrentDirectoryKept(const CurrentDirectoryKept&) = delete;
  CurrentDirectoryKept& operator=(const CurrentDirectoryKept&) = delete;

 private:
  std::string directory_;
};

// The full path of a file that exists; "" otherwise.
std::string ExistingFullPath(const std::string& path) {
  if (path.empty()) return {};
  std::string full(MAX_PATH, '\0');
  DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameA(path.c_str(), length, full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return {};
  full.resize(length);
  const DWORD attributes = GetFileAttributesA(full.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? full : std::string();
}

// The message as MapiSendMail takes it, and the texts its descriptors point
// into: one object, so the pointers live exactly as long as their texts.
class MapiMessageParts {
 public:
  explicit MapiMessageParts(const TClientMail& mail)
      : subject_(CollapseControlChars(mail.Subject)), note_(mail.Body), addresses_(SplitRecipients(mail.Recipients)) {
    for (const std::string& address : addresses_) smtpAddresses_.push_back("SMTP:" + address);
    for (const TAttachment& file : mail.Files) {
      std::string path = ExistingFullPath(file.Path);
      if (path.empty()) continue;
      paths_.push_back(std::move(path));
      names_.push_back(file.Name);
    }
    // The texts are complete: from here on their buffers stay where they are.
    for (size_t i = 0; i < addresses_.size(); ++i)
      recipients_.push_back({0, MAPI_TO, addresses_[i].data(), smtpAddresses_[i].data(), 0, nullptr});
    for (size_t i = 0; i < paths_.size(); ++i)
      files_.push_back({0, 0, static_cast<ULONG>(-1), paths_[i].data(), names_[i].data(), nullptr});
    message_.lpszSubject = subject_.data();
    message_.lpszNoteText = note_.data();
    message_.nRecipCount = static_cast<ULONG>(recipients_.size());
    message_.lpRecips = recipients_.empty() ? nullptr : recipients_.data();
    message_.nFileCount = static_cast<ULONG>(files_.size());
    message_.lpFiles = files_.empty() ? nullptr : files_.data();
  }
  MapiMessageParts(const MapiMessageParts&) = delete;
  MapiMessageParts& operator=(const MapiMessageParts&) = delete;

  MapiMessage* Message() { return &message_; }

 private:
  std::string subject_, note_;
  std::vector<std::string> addresses_, smtpAddresses_, paths_, names_;
  std::vector<MapiRecipDesc> recipients_;
  std::vector<MapiFileDesc> files_;
  MapiMessage message_{};
};

bool Failed(const char* message) {
  RecordDeliveryError(eeEmailMAPIError, message);
  return false;
}

win::Library LoadMailClientLibrary() {
  const std::string path = MailClientLibraryPath();
  if (!path.empty()) {
    win::Library client(path.c_str());
    if (client) return client;
  }
  return win::Library("mapi32.dll");
}

}  // namespace

bool SendByMAPI(const TClientMail& mail, bool* cancelled) {
  if (cancelled) *cancelled = false;
  try {
    const CurrentDirectoryKept directory;
    MapiMessageParts parts(mail);
    const win::Library library = LoadMailClientLibrary();
    if (!library) return Failed("Cannot open the MAPI dll.");
    const auto logon = library.Function<LPMAPILOGON>("MAPILogon");
    const auto logoff = library.Function<LPMAPILOGOFF>("MAPILogoff");
    const auto sendMail = library.Function<LPMAPISENDMAIL>("MAPISendMail");
    if (!logon || !logoff || !sendMail) return Failed("Cannot found the MAPI functions.");

    const ULONG_PTR parent = reinterpret_cast<ULONG_PTR>(mail.Parent);
    LHANDLE session = 0;
    if (logon(parent, nullptr, nullptr, MAPI_LOGON_UI, 0, &session) != SUCCESS_SUCCESS)
      return Failed("Cannot LogOn into the MAPI service.");
    const ULONG result =
        sendMail(session, parent, parts.Message(), MAPI_LOGON_UI | (mail.ShowDialog ? MAPI_DIALOG : 0), 0);
    logoff(session, parent, 0, 0);

    if (result == SUCCESS_SUCCESS) return true;
    if (result == MAPI_USER_ABORT) {
      if (cancelled) *cancelled = true;
      return false;
    }
    return Failed("Cannot send the MAPI message.");
  } catch (...) {
    return Failed("Cannot send the MAPI message.");
  }
}

}  // namespace tarvex
