#include "crashreport/delivery/smtp/smtp_reply.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(SmtpReply, LengthOfTheCompleteReply) {
  const struct {
    std::string received;
    std::optional<size_t> length;
  } cases[] = {
      {"220 ready\r\n", 11},
      {"220-first\r\n220-second\r\n220 last\r\n", 33},
      {"220-first\r\n220-second\r\n220 la", std::nullopt},  // the last line is still coming
      {"250-first part\r\n", std::nullopt},
      {"354\r\n", 5},                          // three digits and nothing
      {"ok\r\n", 4},                           // no code: complete, refused by the code check
      {"250 one\r\n250 two\r\n", 9},           // the second reply stays
      {"250 ok\n", std::nullopt},              // lines end in CR LF only
      {"250 ok", std::nullopt},
      {"", std::nullopt},
      {"25-x\r\n", 6},                         // two digits and a hyphen is no continuation
  };
  for (const auto& c : cases) EXPECT_EQ(SmtpReplyLength(c.received), c.length) << c.received;
}

TEST(SmtpReply, CodeIsTheLeadingDigits) {
  const struct {
    const char* reply;
    std::optional<int> code;
  } cases[] = {
      {"250 OK\r\n", 250}, {"220-hello\r\n220 x\r\n", 220}, {"5\r\n", 5}, {"ok\r\n", std::nullopt},
      {"", std::nullopt},  {" 250 late\r\n", std::nullopt}, {"99999999999\r\n", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SmtpReplyCode(c.reply), c.code) << c.reply;
}

TEST(SmtpReplyBuffer, HandsOutOneReplyAndKeepsTheRest) {
  SmtpReplyBuffer buffer;
  buffer.Append("250-first\r\n");
  EXPECT_FALSE(buffer.TakeReply());
  buffer.Append("250 done\r\n550 no such user\r\n");
  EXPECT_EQ(buffer.TakeReply(), "250-first\r\n250 done\r\n");
  EXPECT_EQ(buffer.Pending(), "550 no such user\r\n");
  EXPECT_EQ(buffer.TakeReply(), "550 no such user\r\n");
  EXPECT_FALSE(buffer.TakeReply());
  EXPECT_TRUE(buffer.Pending().empty());
}

TEST(SmtpReplyBuffer, OverflowsPastTheCap) {
  SmtpReplyBuffer endless;
  const std::string line = "250-" + std::string(94, 'x') + "\r\n";  // 100 bytes
  while (endless.Pending().size() <= kMaxSmtpReply) {
    EXPECT_FALSE(endless.Overflowed());
    endless.Append(line);
  }
  EXPECT_TRUE(endless.Overflowed());
  EXPECT_FALSE(endless.TakeReply());

  SmtpReplyBuffer tooLong;  // complete, but longer than any reply may be
  tooLong.Append(std::string(kMaxSmtpReply, 'x') + "\r\n");
  EXPECT_TRUE(tooLong.Overflowed());
  EXPECT_FALSE(tooLong.TakeReply());

  SmtpReplyBuffer followed;  // a normal reply, then more than the cap of the next one
  followed.Append("250 ok\r\n" + std::string(kMaxSmtpReply, 'y'));
  EXPECT_FALSE(followed.Overflowed());
  EXPECT_EQ(followed.TakeReply(), "250 ok\r\n");
  EXPECT_FALSE(followed.Overflowed());
}

}  // namespace
}  // namespace tarvex
