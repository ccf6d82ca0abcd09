#include "crashreport/delivery/mail/mail_addresses.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(MailAddresses, RecipientsThatCannotBeSent) {
  const struct {
    const char* address;
    bool refused;
  } cases[] = {
      {"author@example.test", false},
      {"a@b", false},
      {"nobody", true},
      {"a@b>\r\nRCPT TO:<c@d", true},
      {"<a@b>", true},
      {"a\x7f@b", true},
      {"a\t@b", true},
      {"\xD5\xC5@example.test", false},
  };
  for (const auto& c : cases) EXPECT_EQ(RecipientProblem(c.address).has_value(), c.refused) << c.address;
  EXPECT_EQ(RecipientProblem("a@b>\r\nX"),
            "Invalid recipient address \"a@b> X\": it holds a control character, \"<\" or \">\".");
  EXPECT_EQ(RecipientProblem("nobody"), "Invalid recipient address \"nobody\": it has no \"@\".");
}

TEST(MailAddresses, SenderHeaderAndEnvelope) {
  const struct {
    const char* sender;
    const char* user;
    const char* header;
    const char* envelope;
  } cases[] = {
      {"app@example.test", "Tester", "\"Tester\" <app@example.test>", "app@example.test"},
      {"Zorvik Support <support@example.test>", "Tester", "Zorvik Support <support@example.test>",
       "support@example.test"},
      {"\"Support\" <support@example.test>", "Tester", "\"Support\" <support@example.test>", "support@example.test"},
      {"\"a<b\" <x@y>", "Tester", "\"a<b\" <x@y>", "x@y"},
      {"app@example.test", "O\"Neil\\x", "\"O\\\"Neil\\\\x\" <app@example.test>", "app@example.test"},
      {"app@example.test", "", "\"\" <app@example.test>", "app@example.test"},
      {"Name <a@b>\r\nBcc: c@d", "Tester", "Name <a@b> Bcc: c@d", "a@b"},
      {"\"quote only\"", "Tester", "\"quote only\"", "\"quote only\""},
      {"Name <broken", "Tester", "Name <broken", "Name <broken"},
      // 8-bit display names ("张" in code page 936) as encoded words.
      {"app@example.test", "\xD5\xC5", "=?GBK?B?1cU=?= <app@example.test>", "app@example.test"},
      {"\xD5\xC5 <app@example.test>", "Tester", "=?GBK?B?1cU=?= <app@example.test>", "app@example.test"},
      {"\"\xD5\xC5\" <app@example.test>", "Tester", "=?GBK?B?1cU=?= <app@example.test>", "app@example.test"},
  };
  for (const auto& c : cases) {
    const std::string header = SenderHeader(c.sender, c.user, "GBK");
    EXPECT_EQ(header, c.header) << c.sender;
    EXPECT_EQ(EnvelopeSender(header), c.envelope) << c.sender;
  }
}

TEST(MailAddresses, HeaderTextIsAnEncodedWordWhenEightBit) {
  EXPECT_EQ(HeaderText("Bug report", "GBK"), "Bug report");
  EXPECT_EQ(HeaderText("Bug\r\nreport", "GBK"), "Bug report");
  EXPECT_EQ(HeaderText("caf\xE9", "windows-1252"), "=?windows-1252?B?Y2Fm6Q==?=");
  EXPECT_EQ(HeaderText("\xB1\xC0\r\n", "GBK"), "=?GBK?B?scAg?=");
}

TEST(MailAddresses, EveryRunOfControlCharactersBecomesOneSpace) {
  const struct {
    std::string text;
    const char* expected;
  } cases[] = {
      {"one\r\ntwo", "one two"},
      {"a\tb\nc", "a b c"},
      {"\r\n\r\nx\r\n", " x "},
      {"plain", "plain"},
      {"", ""},
      {std::string("a\0b", 3), "a b"},
      {"\xB1\xC0\xC0\xA3", "\xB1\xC0\xC0\xA3"},
      {"a\x7f"
       "b",
       "a\x7f"
       "b"},
  };
  for (const auto& c : cases) EXPECT_EQ(OneLine(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace tarvex
