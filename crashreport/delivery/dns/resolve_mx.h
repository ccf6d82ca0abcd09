// The mail exchanger of an e-mail address's domain, asked of DNS servers over
// UDP. Windows only (resolve_mx_win.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// Asks each server in order, three attempts each (waits of (timeout + 150) / 3
// ms, plus 100 ms per attempt), with a new random identifier per query;
// answers to other identifiers are ignored while the wait lasts. Returns the
// exchange of the lowest preference. Raises ETarvexSocketError
// "Cannot resolve the "<domain>" MX record." when no server names one (also
// for a domain that cannot be asked: an empty label, a label over 63 bytes,
// a name over 253). A server that refuses the datagram counts as silent; one
// whose address cannot be resolved ends the lookup with its socket error.
std::string ResolveMX(std::string_view address, uint32_t timeoutMs, const std::vector<std::string>& servers,
                      uint16_t port = 53);
// The same with GetDnsServers() and port 53.
std::string ResolveMX(std::string_view address, uint32_t timeoutMs);

}  // namespace tarvex
