// The SMTP command and reply layer over a client socket. Windows only
// (smtp_client_win.cpp).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "crashreport/delivery/net/client_socket.h"
#include "crashreport/delivery/smtp/auth_login_mask.h"
#include "crashreport/delivery/smtp/smtp_reply.h"

namespace tarvex {

class TTarvexClientSMTP : public TTarvexClientSocket {
 public:
  using Codes = std::initializer_list<uint16_t>;

  TTarvexClientSMTP(std::string host, uint16_t port, uint32_t timeoutMs)
      : TTarvexClientSocket(std::move(host), port, true, timeoutMs) {}

  // Connects and expects the greeting 220; anything else raises with the transcript.
  void Connect() override;
  // Reads the next complete reply (smtp_reply.h) and tells whether the code
  // at its start is one of `accepted`.
  bool ExpectReply(Codes accepted);
  // Sends `command` (CR LF added unless it ends with one) and expects one of
  // `accepted`. An empty command is not sent (false); a command that does not
  // go whole or an unexpected reply raises with the transcript as message.
  bool SendCommand(std::string command, Codes accepted);
  // The next complete reply, which also becomes LastReply; bytes after it stay
  // for the next one. Raises when none is complete within ReplyTimeout, when
  // the peer closes first, or when it grows past kMaxSmtpReply.
  std::string ReceiveReply();

 private:
  SmtpReplyBuffer replies_;
  AuthLoginMask mask_;
};

}  // namespace tarvex
