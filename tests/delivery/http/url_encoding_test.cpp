#include "crashreport/delivery/http/url_encoding.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(UrlEncoding, KeepsLettersAndDigitsOnly) {
  EXPECT_EQ(UrlEncode("AZaz09"), "AZaz09");
  EXPECT_EQ(UrlEncode("a b&c=d/-._~"), "a%20b%26c%3Dd%2F%2D%2E%5F%7E");
  EXPECT_EQ(UrlEncode(std::string("\x00\xff\r\n", 4)), "%00%FF%0D%0A");
  EXPECT_EQ(UrlEncode(""), "");
}

TEST(UrlEncoding, DecodeUndoesEncodeAndLeavesBrokenEscapes) {
  const std::string bytes("p@ss:w/rd %\x01\xfe", 13);
  EXPECT_EQ(PercentDecode(UrlEncode(bytes)), bytes);
  EXPECT_EQ(PercentDecode("%4a%4A"), "JJ");
  EXPECT_EQ(PercentDecode("100%"), "100%");
  EXPECT_EQ(PercentDecode("%G1%2"), "%G1%2");
}

TEST(UrlEncoding, BodyEncodesNamesSoAmpersandAndEqualsStayData) {
  const TFormFields fields{{"summary", "a&b=c"}, {"x&y=z", "1"}, {"empty", ""}};
  EXPECT_EQ(UrlEncodedBody(fields), "summary=a%26b%3Dc&x%26y%3Dz=1&empty=");
  EXPECT_EQ(UrlEncodedBody({}), "");
}

TEST(UrlEncoding, QueryFieldsFollowAnExistingQuery) {
  EXPECT_EQ(WithQueryFields("", {{"a b", "1"}, {"c", "&"}}), "?a%20b=1&c=%26");
  EXPECT_EQ(WithQueryFields("?id=3", {{"x", "y"}}), "?id=3&x=y");
  EXPECT_EQ(WithQueryFields("?id=3", {}), "?id=3");
}

}  // namespace
