#include "crashreport/delivery/mailclient/mailto_url.h"

#include "crashreport/delivery/outcome/recipients.h"

namespace tarvex {

namespace {

// Escapes every byte outside the kept set; `alsoKept` adds bytes to it.
std::string Escape(std::string_view text, std::string_view alsoKept) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool kept = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                      byte == '-' || byte >= 128 || alsoKept.find(c) != std::string_view::npos;
    if (kept) {
      escaped += c;
    } else {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 15];
    }
  }
  return escaped;
}

}  // namespace

std::string EscapeMailtoText(std::string_view text) { return Escape(text, {}); }

std::string MailtoUrl(std::string_view recipients, std::string_view subject, std::string_view body,
                      std::string_view reportText) {
  std::string url = "mailto:";
  bool first = true;
  for (const std::string& address : SplitRecipients(recipients)) {
    if (!first) url += ',';
    url += Escape(address, "@._");
    first = false;
  }
  std::string fullBody(body);
  fullBody += "\r\n\r\n\r\n";
  fullBody += reportText;
  url += "?Subject=" + EscapeMailtoText(subject) + "&Body=" + EscapeMailtoText(fullBody);
  return url;
}

std::string MailtoCommandLine(std::string_view commandTemplate, std::string_view url) {
  std::string commandLine;
  for (;;) {
    const size_t placeholder = commandTemplate.find("%1");
    commandLine += commandTemplate.substr(0, placeholder);
    if (placeholder == std::string_view::npos) return commandLine;
    commandLine += url;
    commandTemplate.remove_prefix(placeholder + 2);
  }
}

}  // namespace tarvex
