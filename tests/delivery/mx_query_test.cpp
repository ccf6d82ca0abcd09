#include "crashreport/delivery/dns/mx_query.h"

#include <gtest/gtest.h>

#include "tests/support/hex_bytes.h"

namespace tarvex {
namespace {

using testsupport::Hex;

TEST(MxQuery, GoldenBytes) {
  const std::vector<uint8_t> expected = Hex(
      "12 34 01 00 00 01 00 00 00 00 00 00"     // id, recursion desired, one question
      " 07 65 78 61 6D 70 6C 65 04 74 65 73 74 00"  // example.test
      " 00 0F 00 01");                             // MX, IN
  EXPECT_EQ(BuildMxQuery("example.test", 0x1234), expected);
  EXPECT_EQ(BuildMxQuery("example.test.", 0x1234), expected);
}

TEST(MxQuery, MailDomainIsAfterTheFirstAtSign) {
  const struct {
    const char* address;
    const char* domain;
  } cases[] = {
      {"user@example.test", "example.test"},
      {"a@b@example.test", "b@example.test"},
      {"example.test", "example.test"},
      {"user@", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(MailDomain(c.address), c.domain) << c.address;
}

TEST(MxQuery, NamesThatCannotBeWrittenGiveNoQuery) {
  const std::string label63(63, 'a'), label64(64, 'a');
  // 63 + 1 + 63 + 1 + 63 + 1 + 61 = 253 characters: the longest name.
  const std::string longest = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
  const struct {
    std::string domain;
    bool writable;
  } cases[] = {
      {label63 + ".test", true},   {label64 + ".test", false}, {longest, true},
      {longest + "b", false},      {"", false},                {".", false},
      {"a..test", false},          {".test", false},           {"test..", false},
  };
  for (const auto& c : cases) {
    const auto query = BuildMxQuery(c.domain, 1);
    EXPECT_EQ(query.has_value(), c.writable) << c.domain;
    if (query) {
      EXPECT_EQ(query->size(), 12 + c.domain.size() + 2 + 4) << c.domain;
    }
  }
}

}  // namespace
}  // namespace tarvex
