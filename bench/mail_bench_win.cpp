// Sends one report mail (a text and an attachment given as files) through
// SendBySMTP to aiosmtpd at 127.0.0.1:$VX_SMTP_PORT with AUTH LOGIN and times
// it, from reading the files to the accepted data. Prints "seconds=S". Run by
// bench/mail_bench.py, which sends the same mail with Python's email package
// and smtplib in the same run.
//
//   mail_bench_win.exe REPORT_FILE ATTACHMENT_FILE
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bench/performance_counter_win.h"
#include "crashreport/base/options/options.h"
#include "crashreport/delivery/mail/smtp_mail_win.h"
#include "crashreport/delivery/outcome/delivery_error.h"

int main(int argc, char** argv) {
  const char* port = std::getenv("VX_SMTP_PORT");
  if (argc != 3 || !port) {
    std::fprintf(stderr, "run through bench/mail_bench.py\n");
    return 2;
  }
  tarvex::TSmtpMail mail;
  mail.From = "bench@example.test";
  mail.Host = "127.0.0.1";
  mail.Port = static_cast<uint16_t>(std::atoi(port));
  mail.User = "reporter";
  mail.Password = "s3cret";
  mail.Recipients = "author@example.test";
  mail.Subject = "Bug report";
  mail.Body = "The program failed; the report and its archive are attached.";
  mail.Files = {{argv[1], "BugReport.txt"}, {argv[2], "BugReport.zip"}};
  tarvex::TTarvexModuleOptions options;

  const double start = NowMilliseconds();
  const bool sent = tarvex::SendBySMTP(mail, options);
  const double seconds = (NowMilliseconds() - start) / 1000.0;
  if (!sent) {
    std::fprintf(stderr, "%s\n", tarvex::LastDeliveryError().Message.c_str());
    return 1;
  }
  std::printf("seconds=%.4f\n", seconds);
  return 0;
}
