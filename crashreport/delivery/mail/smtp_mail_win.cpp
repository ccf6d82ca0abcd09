#include "crashreport/delivery/mail/smtp_mail_win.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "crashreport/base/options/options.h"
#include "crashreport/base/util/base64.h"
#include "crashreport/base/util/text_case.h"
#include "crashreport/delivery/dns/resolve_mx.h"
#include "crashreport/delivery/http/file_bytes.h"
#include "crashreport/delivery/mail/mail_addresses.h"
#include "crashreport/delivery/mail/mail_charset.h"
#include "crashreport/delivery/mail/mail_date.h"
#include "crashreport/delivery/mail/mime_message.h"
#include "crashreport/delivery/net/winsock_win.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/delivery/outcome/recipients.h"
#include "crashreport/delivery/smtp/smtp_client.h"
#include "crashreport/dialogs/common/message_pump_win.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "crashreport/pipeline/handling/internal_errors.h"
#include "crashreport/report/sysinfo/sysinfo_user.h"
#include "crashreport/report/sysinfo/system_query_win.h"
#include "rtl/exception.h"

namespace tarvex {
namespace {

constexpr uint32_t kReplyTimeoutMs = 30000;
constexpr uint32_t kMxTimeoutMs = 30000;
constexpr int kHostNameBuffer = 250;
constexpr int kAuthContinue = 334;

// What every recipient's message shares, made once before the first dialogue.
struct PreparedMail {
  std::string charset;  // of the subject, the body and the user's name
  std::string fromHeader;
  std::string envelopeSender;
  std::string parts;  // MimeParts: the text and the attachments in Base64
};

PreparedMail Prepare(const TSmtpMail& mail) {
  std::vector<MimeFile> files;
  for (const TAttachment& file : mail.Files) {
    if (TrimText(file.Name).empty()) continue;
    if (std::optional<std::string> bytes = ReadFileBytes(file.Path)) files.push_back({file.Name, std::move(*bytes)});
  }
  const uint32_t codePage = mail.CodePage != 0 ? mail.CodePage : GetACP();
  PreparedMail prepared;
  prepared.charset = CharsetOfCodePage(codePage);
  prepared.fromHeader = SenderHeader(mail.From, ProbeUserLogin(WindowsSystemQuery()), prepared.charset);
  prepared.envelopeSender = EnvelopeSender(prepared.fromHeader);
  prepared.parts = MimeParts(mail.Body, codePage, files);
  return prepared;
}

void RecordSmtpError(const std::string& message) { RecordDeliveryError(eeEmailSMTPError, message); }

// Runs `attempt`, turning whatever it raises into a recorded SMTP error and false.
template <typename Attempt>
bool RecordingFailures(Attempt attempt) noexcept {
  try {
    return attempt();
  } catch (const rtl::Exception& error) {
    RecordSmtpError(InternalWarningMessage("SMTP", &error));
  } catch (...) {
    RecordSmtpError(InternalWarningMessage("SMTP", nullptr));
  }
  return false;
}

// One SMTP conversation; when the mail is handled inline, the thread's
// messages are pumped before each command and after its reply.
class Dialogue {
 public:
  Dialogue(const std::string& host, uint16_t port, bool pump) : client_(host, port, kReplyTimeoutMs), pump_(pump) {}

  void Connect() {
    Pump();
    client_.Connect();
    Pump();
  }
  // Raises on an unexpected reply; returns the reply's code.
  int Command(std::string command, TTarvexClientSMTP::Codes accepted) {
    Pump();
    client_.SendCommand(std::move(command), accepted);
    Pump();
    return SmtpReplyCode(client_.LastReply).value_or(0);
  }
  TTarvexClientSMTP& Client() { return client_; }

 private:
  void Pump() const {
    if (pump_) PumpPendingMessages();
  }
  TTarvexClientSMTP client_;
  bool pump_;
};

std::string LocalHostName() {
  char name[kHostNameBuffer] = {};
  if (winsock::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

bool RunDialogue(const TSmtpMail& mail, const PreparedMail& prepared, const std::string& host, uint16_t port,
                 bool login, const std::string& recipient, const TTarvexModuleOptions& options) {
  ShowStatus(options.Text(mtConnecting));
  Dialogue dialogue(host, port, mail.Inline);
  dialogue.Connect();
  ShowStatus(options.Text(mtConnected));
  const std::string localHost = LocalHostName();
  if (login) {
    dialogue.Command("EHLO " + localHost, {250});
    dialogue.Command("RSET", {250});
    // 500 or 502: the server has no AUTH LOGIN; the credentials are then
    // kept to ourselves and the mail goes unauthenticated.
    if (dialogue.Command("AUTH LOGIN", {kAuthContinue, 500, 502}) == kAuthContinue) {
      dialogue.Command(Base64Encode(mail.User) + "\r\n", {kAuthContinue, 500, 502});
      dialogue.Command(Base64Encode(mail.Password) + "\r\n", {235, 500, 502});
    }
  } else {
    dialogue.Command("HELO " + localHost, {250});
    dialogue.Command("RSET", {250});
  }
  dialogue.Command("MAIL FROM:<" + prepared.envelopeSender + ">", {250});

  ShowStatus(options.Text(mtSendingMessage));
  const std::string data = MailData(
      MailHeaderLines({MailDateNow(), prepared.fromHeader, mail.Subject, prepared.charset, recipient, GetTickCount()}),
      prepared.parts);
  dialogue.Command("RCPT TO:<" + recipient + ">", {250, 251});
  dialogue.Command("DATA", {354});
  TTarvexClientSMTP& client = dialogue.Client();
  if (ProgressWindow() != nullptr) {
    client.OnChunkSent = [](TTarvexClientSocket&, size_t position, size_t total) {
      SetProgress(static_cast<int>(static_cast<uint64_t>(position - 1) * 100 / total));
    };
  }
  dialogue.Command(data, {250});
  client.OnChunkSent = nullptr;
  return true;  // no QUIT: the connection closes with the client
}

// Records why `recipient` cannot be sent to, if it cannot.
bool Refused(const std::string& recipient) {
  const std::optional<std::string> problem = RecipientProblem(recipient);
  if (problem) RecordSmtpError("[SMTP] " + *problem);
  return problem.has_value();
}

bool SendOne(const TSmtpMail& mail, const PreparedMail& prepared, const std::string& host, uint16_t port,
             const std::string& recipient, const TTarvexModuleOptions& options) {
  const bool login = !mail.Direct && (!mail.User.empty() || !mail.Password.empty());
  return RecordingFailures([&] { return RunDialogue(mail, prepared, host, port, login, recipient, options); });
}

}  // namespace

bool SendSMTPMessage(const TSmtpMail& mail, const std::string& host, uint16_t port, const std::string& recipient,
                     const TTarvexModuleOptions& options) {
  return RecordingFailures(
      [&] { return !Refused(recipient) && SendOne(mail, Prepare(mail), host, port, recipient, options); });
}

bool SendBySMTP(const TSmtpMail& mail, const TTarvexModuleOptions& options) {
  return RecordingFailures([&] {
    const std::vector<std::string> recipients = SplitRecipients(mail.Recipients);
    const PreparedMail prepared = Prepare(mail);
    bool sent = false;
    for (size_t i = 0; i < recipients.size(); ++i) {
      const std::string& recipient = recipients[i];
      ResetProgress();
      SetMessageNumber(static_cast<int>(i + 1), static_cast<int>(recipients.size()));
      if (Refused(recipient)) continue;
      if (!mail.Direct) {
        sent |= SendOne(mail, prepared, mail.Host, mail.Port, recipient, options);
        continue;
      }
      // A recipient whose exchanger cannot be found fails alone.
      ShowStatus(options.Text(mtResolvingDNS));
      std::string exchange;
      const bool found = RecordingFailures([&] {
        exchange = mail.Exchange ? mail.Exchange(recipient) : ResolveMX(recipient, kMxTimeoutMs);
        return true;
      });
      if (found) sent |= SendOne(mail, prepared, exchange, mail.ExchangePort, recipient, options);
    }
    return sent;
  });
}

}  // namespace tarvex
