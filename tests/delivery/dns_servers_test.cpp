#include "crashreport/delivery/dns/dns_servers.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(DnsServers, UnusedAndBlankEntriesAreSkipped) {
  std::vector<std::string> servers;
  for (const char* reported : {"10.0.0.1", "0.0.0.0", " 0.0.0.0 ", "", "   ", " 192.168.1.1\t", "10.0.0.1"})
    AddDnsServer(servers, reported);
  EXPECT_EQ(servers, (std::vector<std::string>{"10.0.0.1", "192.168.1.1", "10.0.0.1"}));
}

}  // namespace
}  // namespace tarvex
