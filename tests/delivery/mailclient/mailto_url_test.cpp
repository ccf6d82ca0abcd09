#include "crashreport/delivery/mailclient/mailto_url.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(MailtoUrl, EscapingKeepsLettersDigitsDashAndHighBytes) {
  struct Case {
    std::string text, escaped;
  };
  const Case cases[] = {
      {"AZaz09-", "AZaz09-"},
      {"\xb1\xa8\xb8\xe6", "\xb1\xa8\xb8\xe6"},  // code page 936 text stays as its bytes
      {"a b", "a%20b"},
      {"line\r\nnext", "line%0D%0Anext"},
      {"a&b?c=d%e#f", "a%26b%3Fc%3Dd%25e%23f"},
      {"._~+/\"'@", "%2E%5F%7E%2B%2F%22%27%40"},
      {std::string("\x00\x1f\x7f", 3), "%00%1F%7F"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeMailtoText(c.text), c.escaped) << c.text;
}

TEST(MailtoUrl, CarriesSubjectAndBodyWithTheReportAfterThreeLineEnds) {
  EXPECT_EQ(
      MailtoUrl("support@zorvik.test", "Bug in \xbc\xc6\xcb\xe3", "Steps & notes", "TarvexLog 6.1.01 RC 1\r\n1.1 x"),
      "mailto:support@zorvik.test?Subject=Bug%20in%20\xbc\xc6\xcb\xe3"
      "&Body=Steps%20%26%20notes%0D%0A%0D%0A%0D%0ATarvexLog%206%2E1%2E01%20RC%201%0D%0A1%2E1%20x");
  EXPECT_EQ(MailtoUrl("", "", "", ""), "mailto:?Subject=&Body=%0D%0A%0D%0A%0D%0A");
}

TEST(MailtoUrl, RecipientsAreJoinedWithCommasAndCannotBreakTheUrl) {
  struct Case {
    const char* recipients;
    const char* toPart;
  };
  const Case cases[] = {
      {"a@b.test; c_d@e.test,", "a@b.test,c_d@e.test"},
      {"evil@x.test\r\nBcc: all@x.test", "evil@x.test%0D%0ABcc%3A%20all@x.test"},
      {"a@b.test?Subject=fake&x=\"y\"", "a@b.test%3FSubject%3Dfake%26x%3D%22y%22"},
      {"a@b.test%0D", "a@b.test%250D"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MailtoUrl(c.recipients, "s", "b", ""),
              std::string("mailto:") + c.toPart + "?Subject=s&Body=b%0D%0A%0D%0A%0D%0A")
        << c.recipients;
}

TEST(MailtoUrl, CommandLineReplacesEveryPlaceholderOnce) {
  struct Case {
    const char* commandTemplate;
    const char* commandLine;
  };
  const char* url = "mailto:a@b.test?Subject=%251&Body=";
  const Case cases[] = {
      {"\"C:\\Mail\\mail.exe\" /compose \"%1\"",
       "\"C:\\Mail\\mail.exe\" /compose \"mailto:a@b.test?Subject=%251&Body=\""},
      {"mail.exe %1 --again %1",
       "mail.exe mailto:a@b.test?Subject=%251&Body= --again mailto:a@b.test?Subject=%251&Body="},
      {"mail.exe -url %2", "mail.exe -url %2"},
      {"mail.exe", "mail.exe"},
      {"%1", "mailto:a@b.test?Subject=%251&Body="},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MailtoCommandLine(c.commandTemplate, url), c.commandLine) << c.commandTemplate;
}

}  // namespace
