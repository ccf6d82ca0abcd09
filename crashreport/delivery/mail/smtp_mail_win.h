// Sending the report mail over SMTP: through a mail server (with AUTH LOGIN
// when a user or password is set) or straight to each recipient's mail
// exchanger. Windows only (smtp_mail_win.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "crashreport/delivery/outcome/attachment.h"

namespace tarvex {

class TTarvexModuleOptions;

struct TSmtpMail {
  bool Direct = false;  // to each recipient's mail exchanger, no login
  std::string From;     // SenderAddress
  std::string Host;     // MailServer (unused when Direct)
  uint16_t Port = 25;   // MailServerPort (unused when Direct)
  std::string User, Password;
  std::string Recipients;     // "a@b; c@d," as the options hold them
  std::string Subject, Body;  // macros already expanded by the caller
  TAttachments Files;         // in the order they are attached
  bool Inline = false;        // handled on the raising thread: pump its messages around every command
  // Where a direct recipient's mail goes; default: ResolveMX(recipient, 30000).
  std::function<std::string(const std::string& recipient)> Exchange;
  // The code page of Subject and Body; 0: the system's ANSI code page.
  uint32_t CodePage = 0;
  // The exchangers' port when Direct: SMTP's 25 (tests point it at a loopback server).
  uint16_t ExchangePort = 25;
};

// One SMTP dialogue per recipient, each tried whatever became of the others;
// true when at least one succeeded. A recipient that cannot be sent to (see
// RecipientProblem) and every failed dialogue or MX lookup are recorded with
// RecordDeliveryError(eeEmailSMTPError, "[SMTP] ..."). Shows its steps in the
// progress dialog when one is open (and leaves it open). Never raises.
bool SendBySMTP(const TSmtpMail& mail, const TTarvexModuleOptions& options);

// One dialogue with `host`:`port` for `recipient` alone, with `mail`'s
// sender, login, subject, body and files; failures recorded as above.
// Never raises.
bool SendSMTPMessage(const TSmtpMail& mail, const std::string& host, uint16_t port, const std::string& recipient,
                     const TTarvexModuleOptions& options);

}  // namespace tarvex
