#include "crashreport/delivery/smtp/auth_login_mask.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

struct Step {
  const char* sent;
  const char* shown;
};

void ExpectShown(std::initializer_list<Step> dialogue) {
  AuthLoginMask mask;
  for (const Step& step : dialogue) EXPECT_EQ(mask.ShownCommand(step.sent), step.shown) << step.sent;
}

TEST(AuthLoginMask, UserAndPasswordAfterAuthLogin) {
  ExpectShown({
      {"EHLO host\r\n", "EHLO host\r\n"},
      {"RSET\r\n", "RSET\r\n"},
      {"AUTH LOGIN\r\n", "AUTH LOGIN\r\n"},
      {"dXNlcg==\r\n", "***\r\n"},
      {"c2VjcmV0\r\n", "***\r\n"},
      {"MAIL FROM:<a@b.test>\r\n", "MAIL FROM:<a@b.test>\r\n"},
      {"dXNlcg==\r\n", "dXNlcg==\r\n"},
  });
}

TEST(AuthLoginMask, InitialResponseAndSpellings) {
  ExpectShown({
      {"auth login dXNlcg==\r\n", "auth login ***\r\n"},
      {"c2VjcmV0\r\n", "***\r\n"},
      {"QUIT\r\n", "QUIT\r\n"},
  });
  ExpectShown({
      {"Auth Login", "Auth Login"},  // no line end yet: the shown text has none either
      {"dXNlcg==", "***"},
      {"c2VjcmV0", "***"},
      {"NOOP", "NOOP"},
  });
  ExpectShown({
      {"AUTH LOGINX\r\n", "AUTH LOGINX\r\n"},
      {"AUTH PLAIN\r\n", "AUTH PLAIN\r\n"},
      {"dXNlcg==\r\n", "dXNlcg==\r\n"},
  });
}

}  // namespace
}  // namespace tarvex
