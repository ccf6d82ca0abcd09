// The e-mail channel of a delivery: SMTP through a server or straight to the
// recipients' exchangers, or the user's mail client (Simple MAPI, else a
// mailto: hand-off).
#include <windows.h>

#include "crashreport/base/options/options.h"
#include "crashreport/delivery/mail/smtp_mail_win.h"
#include "crashreport/delivery/mailclient/mail_client_win.h"
#include "crashreport/delivery/sending/report_sending_win.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"

namespace tarvex {

bool TReportSending::SendMailOnce() {
  const std::string subject = Expanded(options_.MessageSubject());
  const std::string body = Expanded(options_.MessageBody());
  const std::string bodyWithReport = options_.AppendReportToMessage() ? body + "\r\n\r\n\r\n" + textToSend_ : body;
  const TTarvexMailDelivery mode = options_.MailDelivery();
  if (mode == mdSMTPRelay || mode == mdDirectMX) {
    TSmtpMail mail;
    mail.Direct = mode == mdDirectMX;
    mail.From = options_.SenderAddress();
    mail.Host = options_.MailServer();
    mail.Port = options_.MailServerPort();
    mail.User = options_.MailServerLogin();
    mail.Password = options_.MailServerPassword();
    mail.Recipients = options_.MailRecipients();
    mail.Subject = subject;
    mail.Body = bodyWithReport;
    mail.Files = NamedAttachments();
    mail.Inline = request_.Inline;
    OpenProgressDialog();
    const bool sent = SendBySMTP(mail, options_);
    CloseProgress();
    return sent;
  }
  TClientMail mail;
  mail.Recipients = options_.MailRecipients();
  mail.Subject = subject;
  mail.Body = bodyWithReport;
  mail.ReportText = request_.ReportText;
  mail.Files = NamedAttachments();
  mail.ShowDialog = (options_.SendFlags() & sfShowProgressWindow) != 0;
  // On the main thread (an inline handling) the client's windows belong to its active window.
  mail.Parent = GetCurrentThreadId() == MainThreadId() ? GetActiveWindow() : nullptr;
  bool cancelled = false;
  if (SendByMAPI(mail, &cancelled)) return true;
  // A user who cancelled the client's message is not asked again by another.
  if (cancelled) return false;
  mail.Body = body;
  return SendByMailto(mail);
}

}  // namespace tarvex
