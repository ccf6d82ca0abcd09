// Web and proxy addresses: [scheme://][user[:password]@]host[:port][/path][?query].
// Login, password and port travel as values of their own and are never
// pasted into address text, so "@", ":" or "/" in a password cannot change
// the host, and "host:8080/path" is a host with a port, not a user name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

struct TUrlParts {
  std::string Scheme;    // lower case; empty when the address names none
  std::string User;      // percent-decoded
  std::string Password;  // percent-decoded
  std::string Host;      // letters, digits, "-", "_", "."; or an IPv6 address in brackets
  uint16_t Port = 0;     // 0: the address names none
  std::string Path;      // from the "/" after the host up to "?" or "#"; "/" when none
  std::string Query;     // from "?" up to "#"; empty when none
  bool operator==(const TUrlParts&) const = default;

  bool Secure() const { return Scheme == "https"; }
  // The port named, else the scheme's own: 443 for https, 21 for ftp, 80 otherwise.
  uint16_t PortOrDefault() const;
};

// Nothing when there is no host, the host holds other characters, or the
// port is not a number from 1 to 65535.
std::optional<TUrlParts> ParseUrl(std::string_view address);

// The web address of the options: `port` (0: none) replaces the address's
// own, `login` and `password` (when either is set) replace the address's.
std::optional<TUrlParts> WebUrl(std::string_view address, int port, std::string_view login,
                                std::string_view password);

// A proxy is configured when `server` is not empty and does not start with ":".
bool ProxyWanted(std::string_view server);
// The proxy of a configured `server` (nothing when its address cannot be
// read): its port is `port`, else the address's, else 8080.
struct TProxy {
  std::string Host;
  uint16_t Port = 8080;
  std::string User, Password;
  bool operator==(const TProxy&) const = default;
  std::string HostAndPort() const;  // "host:port", the form the Internet library takes
};
std::optional<TProxy> ProxyFrom(std::string_view server, int port, std::string_view login,
                                std::string_view password);

}  // namespace tarvex
