#include "crashreport/delivery/smtp/smtp_reply.h"

#include <limits>

namespace tarvex {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsContinuationLine(std::string_view line) {
  return line.size() >= 4 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]) && line[3] == '-';
}

}  // namespace

std::optional<size_t> SmtpReplyLength(std::string_view received) {
  size_t lineStart = 0;
  for (;;) {
    const size_t lineEnd = received.find("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) return std::nullopt;
    if (!IsContinuationLine(received.substr(lineStart, lineEnd - lineStart))) return lineEnd + 2;
    lineStart = lineEnd + 2;
  }
}

std::optional<int> SmtpReplyCode(std::string_view reply) {
  if (reply.empty() || !IsDigit(reply[0])) return std::nullopt;
  long long code = 0;
  for (size_t i = 0; i < reply.size() && IsDigit(reply[i]); ++i) {
    code = code * 10 + (reply[i] - '0');
    if (code > std::numeric_limits<int>::max()) return std::nullopt;
  }
  return static_cast<int>(code);
}

std::optional<std::string> SmtpReplyBuffer::TakeReply() {
  const std::optional<size_t> length = SmtpReplyLength(pending_);
  if (!length || *length > kMaxSmtpReply) return std::nullopt;
  std::string reply = pending_.substr(0, *length);
  pending_.erase(0, *length);
  return reply;
}

bool SmtpReplyBuffer::Overflowed() const {
  const std::optional<size_t> length = SmtpReplyLength(pending_);
  return length ? *length > kMaxSmtpReply : pending_.size() > kMaxSmtpReply;
}

}  // namespace tarvex
