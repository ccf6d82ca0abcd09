// The text of a socket failure: the failure, what the peer last said, the
// connection's transcript and its destination, cut to what a message box
// and a log line can carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

inline constexpr std::string_view kSocketTimeoutText = "Socket timeout.";
// A stream peer that ends the connection before its reply is complete.
inline constexpr std::string_view kPeerClosedText = "Connection closed by the peer.";

// Error texts are cut to this many characters, followed by "...".
inline constexpr size_t kSocketErrorTextLimit = 1024;

struct SocketErrorContext {
  std::string_view Transcript;
  std::string_view LastReply;
  std::string_view RemoteHost;
  uint16_t RemotePort = 0;
};

// `message` is the filled format, or the transcript itself for SMTP failures:
//   transcript empty or absent from the message:
//     message, "Error log:" LastReply, "Socket log:" Transcript
//   message starts with the transcript:  "Error log:" LastReply, "Socket log:" message
//   transcript later in the message:     message, "Error log:" LastReply
// then "Destination: host:port"; longer than the limit: cut, then "...".
std::string ComposeSocketErrorText(std::string_view message, const SocketErrorContext& context);

// Appends `text` to `log` as far as `log` stays within `limit` bytes: a
// transcript only needs to hold what an error text can show, so a long
// connection does not grow it.
void AppendWithinLimit(std::string& log, std::string_view text, size_t limit = kSocketErrorTextLimit);

}  // namespace tarvex
