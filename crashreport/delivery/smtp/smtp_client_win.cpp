#include "crashreport/delivery/smtp/smtp_client.h"

#include <windows.h>

#include <algorithm>

#include "crashreport/delivery/net/socket_error_text.h"
#include "rtl/format.h"

namespace tarvex {

void TTarvexClientSMTP::Connect() {
  if (IsOpen) return;
  TTarvexClientSocket::Connect();
  replies_ = {};
  mask_ = {};
  if (!ExpectReply({220})) RaiseSocketError(Transcript);
}

std::string TTarvexClientSMTP::ReceiveReply() {
  const DWORD start = GetTickCount();
  for (;;) {
    if (std::optional<std::string> reply = replies_.TakeReply()) {
      LastReply.clear();
      AppendWithinLimit(LastReply, *reply);
      return std::move(*reply);
    }
    if (replies_.Overflowed())
      RaiseSocketError(rtl::Format("Reply longer than %u bytes.", static_cast<unsigned>(kMaxSmtpReply)));
    const DWORD waited = GetTickCount() - start;
    const std::string bytes = waited < ReplyTimeout ? ReceiveWithin(ReplyTimeout - waited) : std::string();
    if (bytes.empty()) RaiseSocketError(PeerClosed() ? kPeerClosedText : kSocketTimeoutText);
    replies_.Append(bytes);
  }
}

bool TTarvexClientSMTP::ExpectReply(Codes accepted) {
  const std::optional<int> code = SmtpReplyCode(ReceiveReply());
  return code && std::find(accepted.begin(), accepted.end(), *code) != accepted.end();
}

bool TTarvexClientSMTP::SendCommand(std::string command, Codes accepted) {
  if (command.empty()) return false;
  if (!command.ends_with("\r\n")) command += "\r\n";
  if (SendText(command) == static_cast<int>(command.size())) {
    AppendWithinLimit(Transcript, mask_.ShownCommand(command));
    LastReply.clear();
    if (ExpectReply(accepted)) return true;
  }
  RaiseSocketError(Transcript);
}

}  // namespace tarvex
