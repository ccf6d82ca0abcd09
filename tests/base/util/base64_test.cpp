#include "crashreport/base/util/base64.h"

#include <gtest/gtest.h>

namespace {

// RFC 4648 test vectors plus bytes above 0x7F.
TEST(Base64, EncodesStandardVectors) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
      {"\xff\xfe\xfd", "//79"}, {"user:pass", "dXNlcjpwYXNz"}};
  for (const auto& [plain, encoded] : cases) EXPECT_EQ(tarvex::Base64Encode(plain), encoded) << plain;
}

}  // namespace
