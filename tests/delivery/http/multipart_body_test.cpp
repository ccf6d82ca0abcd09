#include "crashreport/delivery/http/multipart_body.h"

#include <gtest/gtest.h>

#include <regex>

#include "crashreport/delivery/http/request_body.h"

namespace {

using namespace tarvex;

TEST(MultipartBody, Boundary) {
  EXPECT_EQ(MultipartBoundary(0, 0xABCD, 65534), "---------------------------0000ABCDFFFE");
  const std::regex shape("-{27}[0-9A-F]{12}");
  const std::string first = NewMultipartBoundary();
  EXPECT_TRUE(std::regex_match(first, shape)) << first;
  // Three fresh 16-bit numbers: two boundaries in a row differ.
  EXPECT_NE(NewMultipartBoundary(), first);
}

TEST(MultipartBody, GoldenBody) {
  TMultipartBody body("BOUND");
  body.AddField("user", "Ann");
  body.AddFile("report", "Bug Report.txt", std::string("a\0b\r\n", 5));
  body.AddMissingFile("shot");
  EXPECT_EQ(body.ContentTypeHeader(), "Content-Type: multipart/form-data; boundary=BOUND");
  const std::string fileBytes("a\0b\r\n", 5);
  EXPECT_EQ(body.Finish(), "--BOUND\r\n"
                           "Content-Disposition: form-data; name=\"user\";\r\n\r\n"
                           "Ann\r\n"
                           "--BOUND\r\n"
                           "Content-Disposition: form-data; name=\"report\"; filename=\"Bug Report.txt\";\r\n"
                           "Content-Type: application/octet-stream\r\n\r\n" +
                               fileBytes +
                               "\r\n"
                               "--BOUND\r\n"
                               "Content-Disposition: form-data; name=\"shot\"; filename=\"\";\r\n"
                               "Content-Type: application/octet-stream\r\n\r\n\r\n"
                               "--BOUND--\r\n");
}

TEST(MultipartBody, NamesCannotEndTheirQuotesOrHeaderLine) {
  struct TCase {
    const char* Name;
    const char* Quoted;
  } cases[] = {
      {"plain", "plain"},
      {"a\"b", "a%22b"},
      {"x\r\nContent-Type: text/html", "x%0D%0AContent-Type: text/html"},
      {"\"\r\n\"", "%22%0D%0A%22"},
      {"a&b=c;d", "a&b=c;d"},
  };
  for (const TCase& c : cases) EXPECT_EQ(QuotedHeaderName(c.Name), c.Quoted) << c.Name;

  TMultipartBody body("B");
  body.AddFile("f\"\r\n", "evil\".txt\r\nX: y", "data");
  EXPECT_EQ(body.Finish(),
            "--B\r\nContent-Disposition: form-data; name=\"f%22%0D%0A\"; filename=\"evil%22.txt%0D%0AX: y\";\r\n"
            "Content-Type: application/octet-stream\r\n\r\ndata\r\n--B--\r\n");
}

}  // namespace
