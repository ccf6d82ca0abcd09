#include "crashreport/delivery/mail/mail_addresses.h"

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

std::vector<std::string> SplitRecipients(std::string_view recipients) {
  std::vector<std::string> list;
  while (!recipients.empty()) {
    const size_t end = recipients.find_first_of(",;");
    const std::string_view entry = TrimText(recipients.substr(0, end));
    if (!entry.empty()) list.emplace_back(entry);
    if (end == std::string_view::npos) break;
    recipients.remove_prefix(end + 1);
  }
  return list;
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

std::string SenderHeader(std::string_view senderAddress, std::string_view userName) {
  if (senderAddress.find_first_of("\"<") != std::string_view::npos) return OneLine(senderAddress);
  return OneLine(QuotedString(userName) + " <" + std::string(senderAddress) + ">");
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
