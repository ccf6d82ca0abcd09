// The loopback peers that tests/delivery/mail_peers.py started for this test
// program, read from the environment it was given.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace tarvex::testing {

inline uint16_t PeerPort(const char* variable) {
  const char* value = std::getenv(variable);
  EXPECT_NE(value, nullptr) << variable << " is not set: run the test through mail_peers.py";
  return value ? static_cast<uint16_t>(std::atoi(value)) : 0;
}

inline uint16_t SmtpPort() { return PeerPort("VX_SMTP_PORT"); }
inline uint16_t ScriptedSmtpPort() { return PeerPort("VX_SCRIPTED_SMTP_PORT"); }
inline uint16_t NoAuthSmtpPort() { return PeerPort("VX_NOAUTH_SMTP_PORT"); }
inline uint16_t DnsmasqPort() { return PeerPort("VX_DNSMASQ_PORT"); }
inline uint16_t ScriptedDnsPort() { return PeerPort("VX_SCRIPTED_DNS_PORT"); }

// The file `name` of the peers' spool folder; empty when there is none.
inline std::string SpoolFile(const std::string& name) {
  const char* folder = std::getenv("VX_SMTP_SPOOL");
  if (!folder) return {};
  std::ifstream in(std::string(folder) + "\\" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The message the SMTP peer stored as number `index` (its envelope, the
// authenticated user and the data as received); empty when there is none.
inline std::string SpooledMessage(int index) { return SpoolFile("message" + std::to_string(index) + ".txt"); }

}  // namespace tarvex::testing
