#include "crashreport/delivery/mail/smtp_mail_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "crashreport/base/options/options.h"
#include "crashreport/base/util/base64.h"
#include "crashreport/delivery/dns/resolve_mx.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "tests/delivery/mail_peers_win.h"

namespace tarvex {
namespace {

using testing::DnsmasqPort;
using testing::NoAuthSmtpPort;
using testing::ScriptedDnsPort;
using testing::SmtpPort;
using testing::SpooledMessage;
using testing::SpoolFile;

// "崩溃报告：计算器出错了。麼" CR LF ".第二行" in code page 936; "麼" is in GBK only.
const std::string kCp936Body =
    "\xB1\xC0\xC0\xA3\xB1\xA8\xB8\xE6\xA3\xBA\xBC\xC6\xCB\xE3\xC6\xF7\xB3\xF6\xB4\xED\xC1\xCB\xA1\xA3\xFC\x4E"
    "\r\n.\xB5\xDA\xB6\xFE\xD0\xD0";

std::string TempPath(const std::string& name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "vx_mail_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

// A file of the test's own, deleted again at the end.
struct TempFile {
  TempFile(const std::string& name, std::string bytes) : path(TempPath(name)), contents(std::move(bytes)) {
    std::ofstream(path, std::ios::binary) << contents;
  }
  ~TempFile() { DeleteFileA(path.c_str()); }
  std::string path, contents;
};

// `text` in `codePage` as UTF-8, converted by the system, not by the mail code.
std::string Utf8Of(const std::string& text, UINT codePage) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                  static_cast<int>(utf8.size()), nullptr, nullptr));
  return utf8;
}

// The envelope and user the peer stored in front of message `index`.
std::string EnvelopeOf(int index) {
  const std::string stored = SpooledMessage(index);
  return stored.substr(0, stored.find("\r\n\r\n"));
}

TSmtpMail MailTo(std::string recipients, uint16_t port = SmtpPort()) {
  TSmtpMail mail;
  mail.From = "app@example.test";
  mail.Host = "127.0.0.1";
  mail.Port = port;
  mail.Recipients = std::move(recipients);
  mail.Subject = "Bug report";
  mail.Body = "The calculator failed.";
  return mail;
}

struct SmtpMail : ::testing::Test {
  void SetUp() override { ClearDeliveryError(0); }
  TTarvexModuleOptions options;
};

TEST_F(SmtpMail, MessageWithTextAndPngArrivesWholeAfterAuthLogin) {
  std::string png = "\x89PNG\r\n\x1a\n";
  for (int i = 0; i < 5000; ++i) png += static_cast<char>(i * 7 % 256);
  const TempFile report("report.txt", "Exception: access violation\r\nAddress: 0040100A\r\n.\r\n");
  const TempFile shot("shot.png", png);
  TSmtpMail mail = MailTo("author@example.test");
  mail.User = "reporter";
  mail.Password = "s3cret";
  mail.Subject = "Bug report\r\nof ZorvikCalc";
  mail.Body = "Hello,\n.a line with a dot\rthe end";
  mail.Files = {{report.path, "report.txt"},
                {TempPath("missing.bin"), "missing.bin"},  // no such file: not attached
                {shot.path, "  "},                         // no name: not attached
                {shot.path, "Screenshot.PNG"}};

  EXPECT_TRUE(SendBySMTP(mail, options));
  EXPECT_EQ(LastDeliveryError().Code, eeNone) << LastDeliveryError().Message;
  const std::string stored = SpooledMessage(1);
  EXPECT_EQ(EnvelopeOf(1), "From: app@example.test\r\nTo: author@example.test\r\nUser: reporter");
  EXPECT_NE(stored.find("\r\nSubject: Bug report of ZorvikCalc\r\nTo: <author@example.test>\r\n"), std::string::npos);
  EXPECT_EQ(SpoolFile("message1.defects"), "");
  // A 7bit text part followed by attachments keeps the empty line the layout puts before them.
  EXPECT_EQ(SpoolFile("message1.text"), "Hello,\r\n.a line with a dot\r\nthe end\r\n");
  EXPECT_EQ(SpoolFile("message1.names"), "application/octet-stream report.txt\nimage/png Screenshot.PNG\n");
  EXPECT_EQ(SpoolFile("message1.part1"), report.contents);
  EXPECT_EQ(SpoolFile("message1.part2"), png);
  EXPECT_TRUE(SpooledMessage(2).empty());
}

TEST_F(SmtpMail, Cp936TextDecodesToTheSameText) {
  TSmtpMail mail = MailTo("author@example.test");
  mail.From = "\xD5\xC5\xC8\xFD <app@example.test>";  // "张三"
  mail.Subject = "\xB1\xC0\xC0\xA3\xB1\xA8\xB8\xE6";  // "崩溃报告"
  mail.Body = kCp936Body;
  mail.CodePage = 936;
  EXPECT_TRUE(SendBySMTP(mail, options));
  EXPECT_EQ(SpooledMessage(1).substr(0, 24), "From: app@example.test\r\n");
  EXPECT_EQ(SpoolFile("message1.headers"), Utf8Of(mail.From, 936) + "\n" + Utf8Of(mail.Subject, 936) + "\n");
  EXPECT_NE(
      SpooledMessage(1).find("Content-Type: text/plain; charset=\"GBK\"\r\nContent-Transfer-Encoding: base64\r\n"),
      std::string::npos);
  EXPECT_EQ(SpoolFile("message1.defects"), "");
  const std::string expected = Utf8Of(kCp936Body, 936);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(SpoolFile("message1.text"), expected);
}

TEST_F(SmtpMail, ServerWithoutAuthLoginGetsNoCredentials) {
  TSmtpMail mail = MailTo("author@example.test", NoAuthSmtpPort());
  mail.User = "reporter";
  mail.Password = "s3cret";
  EXPECT_TRUE(SendBySMTP(mail, options)) << LastDeliveryError().Message;
  const std::string lines = SpoolFile("noauth1.txt");
  EXPECT_EQ(lines.find(Base64Encode("reporter")), std::string::npos) << lines;
  EXPECT_EQ(lines.find(Base64Encode("s3cret")), std::string::npos) << lines;
  EXPECT_EQ(lines.substr(0, 5), "EHLO ") << lines;
  EXPECT_NE(
      lines.find("\r\nRSET\r\nAUTH LOGIN\r\nMAIL FROM:<app@example.test>\r\nRCPT TO:<author@example.test>\r\nDATA\r\n"),
      std::string::npos)
      << lines;
  EXPECT_TRUE(lines.ends_with("\r\nThe calculator failed.\r\n--=_xcjvnxkbhvfkxzhfdbvzldjhfv--\r\n.\r\n")) << lines;
}

TEST_F(SmtpMail, WithoutLoginTheServerIsGreetedWithHelo) {
  EXPECT_TRUE(SendBySMTP(MailTo("author@example.test", NoAuthSmtpPort()), options));
  const std::string lines = SpoolFile("noauth1.txt");
  EXPECT_EQ(lines.substr(0, 5), "HELO ") << lines;
  EXPECT_NE(lines.find("\r\nRSET\r\nMAIL FROM:<app@example.test>\r\n"), std::string::npos) << lines;
}

TEST_F(SmtpMail, EveryRecipientIsTriedAndEachFailureRecorded) {
  const struct {
    const char* recipients;
    bool sent;
    const char* error;  // the start of the last recorded error
    std::vector<std::string> arrived;
  } cases[] = {
      {"refused@example.test; author@example.test",
       true,
       "[SMTP] Error log:\r\n550 no such user",
       {"author@example.test"}},
      {"author@example.test, refused@example.test",
       true,
       "[SMTP] Error log:\r\n550 no such user",
       {"author@example.test"}},
      {"broken-address; second@example.test",
       true,
       "[SMTP] Invalid recipient address \"broken-address\"",
       {"second@example.test"}},
      {"a@b>\r\nRCPT TO:<x@example.test>; second@example.test",
       true,
       "[SMTP] Invalid recipient address \"a@b> RCPT TO:<x@example.test>\"",
       {"second@example.test"}},
      {"broken-address", false, "[SMTP] Invalid recipient address", {}},
      {"author@example.test; second@example.test", true, "", {"author@example.test", "second@example.test"}},
  };
  int stored = 0;  // the peer numbers messages through the whole test
  for (const auto& c : cases) {
    ClearDeliveryError(0);
    EXPECT_EQ(SendBySMTP(MailTo(c.recipients), options), c.sent) << c.recipients;
    const std::string error = LastDeliveryError().Message;
    EXPECT_EQ(error.substr(0, strlen(c.error)), c.error) << c.recipients;
    EXPECT_EQ(LastDeliveryError().Code, *c.error ? eeEmailSMTPError : eeNone) << c.recipients;
    for (const std::string& recipient : c.arrived)
      EXPECT_NE(SpooledMessage(++stored).find("\r\nTo: " + recipient + "\r\n"), std::string::npos) << c.recipients;
    EXPECT_TRUE(SpooledMessage(stored + 1).empty()) << c.recipients;
  }
}

TEST_F(SmtpMail, UnreachableServerIsARecordedFailure) {
  EXPECT_FALSE(SendBySMTP(MailTo("author@example.test", 1), options));
  EXPECT_EQ(LastDeliveryError().Code, eeEmailSMTPError);
  EXPECT_EQ(LastDeliveryError().Message.substr(0, 26), "[SMTP] Connection error: \"") << LastDeliveryError().Message;
}

// Direct: each recipient's exchanger as DNS names it (dnsmasq's MX of
// example.test is mail.example.test, which the test maps to the loopback
// peer); a domain without MX fails alone.
TEST_F(SmtpMail, DirectModeSendsToTheExchangerOfEachRecipient) {
  TSmtpMail mail = MailTo("author@example.test; nobody@empty.test; second@example.test");
  mail.Direct = true;
  mail.Host = "unused.invalid";
  mail.User = "reporter";  // never used when direct
  mail.Password = "s3cret";
  mail.ExchangePort = SmtpPort();
  std::vector<std::string> exchanges;
  mail.Exchange = [&](const std::string& recipient) {
    const bool scripted = recipient.ends_with("@empty.test");
    const std::string host = ResolveMX(recipient, 30000, {"127.0.0.1"}, scripted ? ScriptedDnsPort() : DnsmasqPort());
    exchanges.push_back(host);
    return host == "mail.example.test" ? std::string("127.0.0.1") : host;
  };
  EXPECT_TRUE(SendBySMTP(mail, options));
  EXPECT_EQ(exchanges, (std::vector<std::string>{"mail.example.test", "mail.example.test"}));
  EXPECT_EQ(LastDeliveryError().Message, "[SMTP] Cannot resolve the \"empty.test\" MX record.");
  EXPECT_EQ(EnvelopeOf(1), "From: app@example.test\r\nTo: author@example.test\r\nUser: ");
  EXPECT_EQ(EnvelopeOf(2), "From: app@example.test\r\nTo: second@example.test\r\nUser: ");
}

constexpr UINT kPumpProbe = WM_APP + 7;
int probesHandled = 0;

LRESULT CALLBACK CountProbes(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPumpProbe) ++probesHandled;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Inline, the thread's own messages are handled while the mail goes; a quit
// message is left for the program's loop.
TEST_F(SmtpMail, InlineSendingPumpsTheThreadsMessages) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountProbes;
  windowClass.lpszClassName = "VxMailPumpTest";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("VxMailPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  for (const bool inlineMail : {false, true}) {
    probesHandled = 0;
    PostMessageA(window, kPumpProbe, 0, 0);
    PostQuitMessage(3);
    TSmtpMail mail = MailTo("author@example.test");
    mail.Inline = inlineMail;
    EXPECT_TRUE(SendBySMTP(mail, options));
    EXPECT_EQ(probesHandled, inlineMail ? 1 : 0);
    MSG message;
    std::vector<UINT> left;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != kPumpProbe && message.message != WM_QUIT) continue;  // the system's own
      left.push_back(message.message);
      if (message.message == WM_QUIT) {
        EXPECT_EQ(message.wParam, 3u);
      }
    }
    EXPECT_EQ(left, inlineMail ? std::vector<UINT>{WM_QUIT} : (std::vector<UINT>{kPumpProbe, WM_QUIT}));
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace tarvex
