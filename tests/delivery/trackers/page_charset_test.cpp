#include "crashreport/delivery/trackers/page_charset.h"

#include <gtest/gtest.h>

#include "crashreport/delivery/http/http_response.h"

namespace {

using namespace tarvex;

TEST(PageCharset, DeclarationsThatNameUtf8) {
  struct TCase {
    const char* Text;
    bool Utf8;
  } cases[] = {
      {"<meta charset=\"UTF-8\">", true},
      {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\" />", true},
      {"<form accept-charset='utf-8' method=post>", true},
      {"<form accept-charset = utf8>", true},
      {"<meta charset=\"gb2312\">", false},
      {"<meta charset=\"utf-16\">", false},  // a prefix is not the name
      {"<meta charset=\"utf-8x\">", false},
      {"<p>charset utf-8 is mentioned in prose</p>", false},
      {"", false},
  };
  for (const TCase& c : cases) EXPECT_EQ(DeclaresUtf8(c.Text), c.Utf8) << c.Text;
}

TEST(PageCharset, HeadersOrBody) {
  THTTPResponse page;
  page.Headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=ISO-8859-1\r\n";
  page.Body = "<html><body>no declaration</body></html>";
  EXPECT_FALSE(PageExpectsUtf8(page));
  page.Headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html;charset=UTF-8\r\n";
  EXPECT_TRUE(PageExpectsUtf8(page));
  page.Headers.clear();
  page.Body = "<form action=\"post_bug.cgi\" accept-charset=\"UTF-8\">";
  EXPECT_TRUE(PageExpectsUtf8(page));
}

}  // namespace
