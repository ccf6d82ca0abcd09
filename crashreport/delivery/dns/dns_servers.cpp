#include "crashreport/delivery/dns/dns_servers.h"

namespace tarvex {

void AddDnsServer(std::vector<std::string>& servers, std::string_view address) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const size_t first = address.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return;
  address = address.substr(first, address.find_last_not_of(kBlanks) - first + 1);
  if (address != "0.0.0.0") servers.emplace_back(address);
}

}  // namespace tarvex
