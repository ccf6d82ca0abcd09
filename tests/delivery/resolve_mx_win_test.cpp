#include "crashreport/delivery/dns/resolve_mx.h"

#include <gtest/gtest.h>

#include <set>

#include "crashreport/delivery/dns/dns_servers.h"
#include "crashreport/delivery/net/socket_errors.h"
#include "tests/delivery/mail_peers_win.h"

namespace tarvex {
namespace {

using testing::DnsmasqPort;
using testing::ScriptedDnsPort;

constexpr uint32_t kTimeout = 30000;
const std::vector<std::string> kLoopback{"127.0.0.1"};

TEST(ResolveMX, DnsmasqGivesTheLowestPreference) {
  EXPECT_EQ(ResolveMX("author@example.test", kTimeout, kLoopback, DnsmasqPort()), "mail.example.test");
}

TEST(ResolveMX, ScriptedAnswers) {
  const struct {
    const char* address;
    const char* host;
  } cases[] = {
      {"a@compressed.test", "mx.compressed.test"},
      {"a@cname.test", "mail.alias.example"},  // the MX after the CNAME, not the CNAME's target
      {"a@wrongid.test", "good.test"},         // the answer to another query is passed over
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveMX(c.address, kTimeout, kLoopback, ScriptedDnsPort()), c.host);
}

TEST(ResolveMX, NoHostRaisesWithTheDomain) {
  const std::string label64(64, 'a');
  const struct {
    std::string address;
    uint32_t timeout;
  } cases[] = {
      {"a@empty.test", kTimeout},
      {"a@cycle.test", kTimeout},
      {"a@onlywrongid.test", 600},  // never answered: every wait runs out, however long
      {"a@" + label64 + ".test", kTimeout},
      {"a@" + std::string(250, 'b') + ".test", kTimeout},
  };
  for (const auto& c : cases) {
    const std::string domain = c.address.substr(2);
    try {
      ResolveMX(c.address, c.timeout, kLoopback, ScriptedDnsPort());
      ADD_FAILURE() << domain << ": no exception";
    } catch (const ETarvexSocketError& error) {
      EXPECT_EQ(error.Message(), "Cannot resolve the \"" + domain + "\" MX record.");
    }
  }
}

TEST(ResolveMX, EveryQueryHasItsOwnIdentifier) {
  // The scripted peer names the exchange after the identifier it was asked with.
  std::set<std::string> hosts;
  for (int lookup = 0; lookup < 3; ++lookup) {
    const std::string host = ResolveMX("a@id.test", kTimeout, kLoopback, ScriptedDnsPort());
    EXPECT_EQ(host.size(), std::string("id0000.test").size()) << host;
    hosts.insert(host);
  }
  EXPECT_EQ(hosts.size(), 3u);
}

TEST(DnsServers, SystemServersThenTheFallback) {
  const std::vector<std::string> servers = GetDnsServers();
  ASSERT_FALSE(servers.empty());
  EXPECT_EQ(servers.back(), kFallbackDnsServer);
  for (const std::string& server : servers) {
    EXPECT_NE(server, "0.0.0.0");
    EXPECT_FALSE(server.empty());
  }
}

}  // namespace
}  // namespace tarvex
