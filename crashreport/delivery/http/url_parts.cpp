#include "crashreport/delivery/http/url_parts.h"

#include "crashreport/base/util/text_case.h"
#include "crashreport/delivery/http/url_encoding.h"

namespace tarvex {
namespace {

bool IsLetterOrDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsSchemeChar(char c) { return IsLetterOrDigit(c) || c == '+' || c == '-' || c == '.'; }

bool IsHostName(std::string_view host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    for (const char c : host.substr(1, host.size() - 2))
      if (!(IsLetterOrDigit(c) || c == ':' || c == '.')) return false;
    return true;
  }
  if (host.empty()) return false;
  for (const char c : host)
    if (!(IsLetterOrDigit(c) || c == '-' || c == '.' || c == '_')) return false;
  return true;
}

std::optional<uint16_t> PortNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  uint32_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

// "host", "host:port", "[v6]" or "[v6]:port" into the parts.
bool ReadHostAndPort(std::string_view text, TUrlParts& parts) {
  const size_t bracket = text.rfind(']');
  const size_t colon = text.rfind(':');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    const auto port = PortNumber(text.substr(colon + 1));
    if (!port) return false;
    parts.Port = *port;
    text = text.substr(0, colon);
  }
  if (!IsHostName(text)) return false;
  parts.Host = std::string(text);
  return true;
}

}  // namespace

uint16_t TUrlParts::PortOrDefault() const {
  if (Port != 0) return Port;
  if (Scheme == "https") return 443;
  if (Scheme == "ftp") return 21;
  return 80;
}

std::optional<TUrlParts> ParseUrl(std::string_view address) {
  std::string_view rest = TrimText(address);
  TUrlParts parts;
  const size_t schemeEnd = rest.find("://");
  if (schemeEnd != std::string_view::npos && schemeEnd > 0) {
    bool isScheme = true;
    for (const char c : rest.substr(0, schemeEnd)) isScheme = isScheme && IsSchemeChar(c);
    if (isScheme) {
      parts.Scheme = LowerCase(rest.substr(0, schemeEnd));
      rest.remove_prefix(schemeEnd + 3);
    }
  }
  const size_t authorityEnd = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authorityEnd);
  rest = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);

  // The last "@" ends the login: an unescaped "@" in a password stays in it.
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    const std::string_view login = authority.substr(0, at);
    const size_t colon = login.find(':');
    parts.User = PercentDecode(login.substr(0, colon));
    if (colon != std::string_view::npos) parts.Password = PercentDecode(login.substr(colon + 1));
    authority.remove_prefix(at + 1);
  }
  if (!ReadHostAndPort(authority, parts)) return std::nullopt;

  const size_t fragment = rest.find('#');
  rest = rest.substr(0, fragment);
  const size_t query = rest.find('?');
  if (query != std::string_view::npos) parts.Query = std::string(rest.substr(query));
  parts.Path = std::string(rest.substr(0, query));
  if (parts.Path.empty()) parts.Path = "/";
  return parts;
}

std::optional<TUrlParts> WebUrl(std::string_view address, int port, std::string_view login,
                                std::string_view password) {
  auto parts = ParseUrl(address);
  if (!parts) return std::nullopt;
  if (port != 0) {
    if (port < 1 || port > 65535) return std::nullopt;
    parts->Port = static_cast<uint16_t>(port);
  }
  if (!login.empty() || !password.empty()) {
    parts->User = std::string(login);
    parts->Password = std::string(password);
  }
  return parts;
}

std::string TProxy::HostAndPort() const { return Host + ":" + std::to_string(Port); }

bool ProxyWanted(std::string_view server) {
  const std::string_view trimmed = TrimText(server);
  return !trimmed.empty() && trimmed.front() != ':';
}

std::optional<TProxy> ProxyFrom(std::string_view server, int port, std::string_view login,
                                std::string_view password) {
  if (!ProxyWanted(server)) return std::nullopt;
  const auto parts = WebUrl(server, port, login, password);
  if (!parts) return std::nullopt;
  return TProxy{parts->Host, parts->Port != 0 ? parts->Port : uint16_t{8080}, parts->User, parts->Password};
}

}  // namespace tarvex
