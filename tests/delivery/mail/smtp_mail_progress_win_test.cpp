// The report mail's steps in the send-progress dialog: the numbered status
// line of each recipient and the bar fed by the bytes sent.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>

#include "crashreport/base/options/options.h"
#include "crashreport/delivery/mail/smtp_mail_win.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "tests/delivery/mail_peers_win.h"

namespace tarvex {
namespace {

int BarPosition() { return static_cast<int>(SendDlgItemMessageA(ProgressWindow(), 101, PBM_GETPOS, 0, 0)); }

std::string StatusText() {
  char text[256] = {};
  GetDlgItemTextA(ProgressWindow(), 100, text, sizeof text);
  return text;
}

TEST(SmtpMailProgress, EachRecipientIsNumberedAndTheBarFollowsTheBytesSent) {
  TTarvexModuleOptions options;
  options.SetMailDelivery(mdSMTPRelay);
  options.SetText(mtSendingMessage, "Sending now...");  // the dialog shows the options' texts
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string archive = std::string(folder) + "vx_mail_progress_" + std::to_string(GetCurrentProcessId());
  std::ofstream(archive, std::ios::binary) << std::string(300000, 'z');  // many chunks

  TSmtpMail mail;
  mail.From = "app@example.test";
  mail.Host = "127.0.0.1";
  mail.Port = testing::SmtpPort();
  mail.Recipients = "author@example.test; second@example.test";
  mail.Subject = "Bug report";
  mail.Body = "The calculator failed.";
  mail.Files = {{archive, "BugReport.zip"}};
  ClearDeliveryError(0);
  OpenProgress({&options, true, false}, true);
  ASSERT_NE(ProgressWindow(), nullptr);
  const bool sent = SendBySMTP(mail, options);
  EXPECT_NE(ProgressWindow(), nullptr);  // the caller closes it
  const std::string status = StatusText();
  const int bar = BarPosition();
  CloseProgress();
  DeleteFileA(archive.c_str());

  EXPECT_TRUE(sent) << LastDeliveryError().Message;
  EXPECT_EQ(status, "Message 2/2: Sending now...");
  EXPECT_EQ(bar, 100);
  EXPECT_NE(testing::SpooledMessage(2).find("\r\nTo: second@example.test\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tarvex
