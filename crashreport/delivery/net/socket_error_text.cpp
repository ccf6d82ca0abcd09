#include "crashreport/delivery/net/socket_error_text.h"

namespace tarvex {

namespace {

constexpr std::string_view kErrorLog = "Error log:\r\n";
constexpr std::string_view kSocketLog = "\r\n\r\nSocket log:\r\n";
constexpr std::string_view kParagraph = "\r\n\r\n";

}  // namespace

std::string ComposeSocketErrorText(std::string_view message, const SocketErrorContext& context) {
  std::string text;
  const std::string_view transcript = context.Transcript;
  const size_t found = transcript.empty() ? std::string_view::npos : message.find(transcript);
  if (found == 0) {
    text.append(kErrorLog).append(context.LastReply).append(kSocketLog).append(message);
  } else {
    text.append(message).append(kParagraph).append(kErrorLog).append(context.LastReply);
    if (found == std::string_view::npos) text.append(kSocketLog).append(transcript);
  }
  text.append("\r\n\r\nDestination: ").append(context.RemoteHost).append(":").append(std::to_string(context.RemotePort));
  if (text.size() > kSocketErrorTextLimit) {
    text.resize(kSocketErrorTextLimit);
    text.append("...");
  }
  return text;
}

void AppendWithinLimit(std::string& log, std::string_view text, size_t limit) {
  if (log.size() >= limit) return;
  log.append(text.substr(0, limit - log.size()));
}

}  // namespace tarvex
