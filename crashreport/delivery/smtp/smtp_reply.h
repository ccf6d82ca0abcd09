// Where an SMTP reply ends, and its code.
//
// A reply is one or more CR LF-terminated lines; every line but the last is a
// continuation line: three digits and a hyphen ("250-SIZE"). The reply is
// complete at the first line that is not one ("250 OK", "354", or a line with
// no code at all, which the code check then refuses). Bytes after that line
// belong to the next reply.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

// One reply may not be longer than this: a peer that never ends its reply
// cannot make the reader grow for ever.
inline constexpr size_t kMaxSmtpReply = 64 * 1024;

// The length of the complete reply at the start of `received`, or nothing
// while it is incomplete.
std::optional<size_t> SmtpReplyLength(std::string_view received);

// The run of decimal digits at the start of a reply as a number; nothing
// when the reply starts with no digit (or the digits do not fit an int).
std::optional<int> SmtpReplyCode(std::string_view reply);

// Collects received bytes and hands out complete replies one at a time.
class SmtpReplyBuffer {
 public:
  void Append(std::string_view bytes) { pending_.append(bytes); }
  // The next complete reply, removed from the buffer; nothing while incomplete.
  std::optional<std::string> TakeReply();
  const std::string& Pending() const { return pending_; }
  // Holds more than kMaxSmtpReply bytes without a complete reply.
  bool Overflowed() const;

 private:
  std::string pending_;
};

}  // namespace tarvex
