#include "crashreport/delivery/mail/mail_addresses.h"

#include "crashreport/base/util/base64.h"
#include "crashreport/base/util/text_case.h"

namespace tarvex {

std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  bool inRun = false;
  for (const char c : text) {
    const bool control = static_cast<unsigned char>(c) < 32;
    if (!control) {
      line += c;
    } else if (!inRun) {
      line += ' ';
    }
    inRun = control;
  }
  return line;
}

std::string QuotedString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

namespace {

bool HasEightBitBytes(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// A display name as a header shows it: an encoded word when 8-bit, else quoted.
std::string DisplayName(std::string_view name, std::string_view charset) {
  return HasEightBitBytes(name) ? HeaderText(name, charset) : QuotedString(OneLine(name));
}

}  // namespace

std::string HeaderText(std::string_view text, std::string_view charset) {
  const std::string line = OneLine(text);
  if (!HasEightBitBytes(line)) return line;
  return "=?" + std::string(charset) + "?B?" + Base64Encode(line) + "?=";
}

std::optional<std::string> RecipientProblem(std::string_view recipient) {
  for (const char c : recipient) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127 || c == '<' || c == '>')
      return "Invalid recipient address \"" + OneLine(recipient) + "\": it holds a control character, \"<\" or \">\".";
  }
  if (recipient.find('@') == std::string_view::npos)
    return "Invalid recipient address \"" + std::string(recipient) + "\": it has no \"@\".";
  return std::nullopt;
}

std::string SenderHeader(std::string_view senderAddress, std::string_view userName, std::string_view charset) {
  if (senderAddress.find_first_of("\"<") == std::string_view::npos)
    return DisplayName(userName, charset) + " <" + OneLine(senderAddress) + ">";
  // Written by the user; only an 8-bit display name before the address changes.
  const size_t open = senderAddress.rfind('<');
  std::string_view name = open == std::string_view::npos ? std::string_view() : TrimText(senderAddress.substr(0, open));
  if (!HasEightBitBytes(name)) return OneLine(senderAddress);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
  return HeaderText(name, charset) + " " + OneLine(senderAddress.substr(open));
}

std::string EnvelopeSender(std::string_view senderHeader) {
  const size_t open = senderHeader.rfind('<');
  if (open != std::string_view::npos) {
    const size_t close = senderHeader.find('>', open);
    if (close != std::string_view::npos) return std::string(TrimText(senderHeader.substr(open + 1, close - open - 1)));
  }
  return std::string(TrimText(senderHeader));
}

}  // namespace tarvex
