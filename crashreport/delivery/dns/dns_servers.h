// The DNS servers a mail exchanger lookup asks, in order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// Asked last, after the servers the system names.
inline constexpr std::string_view kFallbackDnsServer = "8.8.8.8";

// Adds a server address the system reported, trimmed of blanks, unless it is
// empty or "0.0.0.0" (an unused entry).
void AddDnsServer(std::vector<std::string>& servers, std::string_view address);

// The system's DNS servers (the network parameters of IP Helper), then the
// fallback. Windows only.
std::vector<std::string> GetDnsServers();

}  // namespace tarvex
