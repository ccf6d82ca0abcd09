#include "crashreport/delivery/mail/mime_message.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "crashreport/delivery/mail/mail_addresses.h"
#include "crashreport/delivery/mail/mail_date.h"

namespace tarvex {
namespace {

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(VX_MAIL_FIXTURES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Bytes0To59() {
  std::string bytes;
  for (int i = 0; i < 60; ++i) bytes += static_cast<char>(i);
  return bytes;
}

MailHeaderValues Headers(std::string subject) {
  return {MailDate({2026, 3, 3, 9, 5, 7}, 480),
          SenderHeader("app@example.test", "Tester", "GBK"),
          std::move(subject),
          "GBK",
          "author@example.test",
          123456};
}

// Whole messages as the DATA command sends them (fixtures/*.eml were written
// independently with Python's base64 and checked with its email parser).
TEST(MimeMessage, GoldenMessages) {
  EXPECT_EQ(MailData(MailHeaderLines(Headers("Bug report\r\nof\tZorvikCalc")),
                     MimeParts("Hello,\n.hidden line\r\n..two dots\rlast", 1252,
                               {{"report.txt", "line one\r\nline two\r\n"}, {"Shot.PNG", Bytes0To59()}})),
            Fixture("plain_with_attachments.eml"));
  // "崩溃报告" CR LF ".第二行" in code page 936.
  const std::string cp936 = "\xB1\xC0\xC0\xA3\xB1\xA8\xB8\xE6\r\n.\xB5\xDA\xB6\xFE\xD0\xD0";
  EXPECT_EQ(MailData(MailHeaderLines(Headers("Bug report")), MimeParts(cp936, 936, {})), Fixture("cp936_body.eml"));
}

TEST(MimeMessage, LineBreaksBecomeCrLf) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"a\nb", "a\r\nb"},         {"a\rb", "a\r\nb"}, {"a\r\nb", "a\r\nb"}, {"a\n\rb", "a\r\n\r\nb"},
      {"a\r\r\nb", "a\r\n\r\nb"}, {"\n", "\r\n"},     {"end\r", "end\r\n"}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(WithCrLfLineBreaks(c.text), c.expected) << c.text;
}

TEST(MimeMessage, LinesStartingWithADotAreDoubledAndOneDotEndsTheData) {
  const struct {
    const char* headers;
    const char* parts;
    const char* expected;
  } cases[] = {
      {"H: v\r\n\r\n", "a\r\n.b\r\n..c\r\n", "H: v\r\n\r\na\r\n..b\r\n...c\r\n."},
      {"H: v\r\n\r\n", ".\r\n", "H: v\r\n\r\n..\r\n."},
      {"H: v\r\n\r\n", "a.b\r\n x.\r\n", "H: v\r\n\r\na.b\r\n x.\r\n."},
      {"", ".first", "..first."},
  };
  for (const auto& c : cases) EXPECT_EQ(MailData(c.headers, c.parts), c.expected) << c.parts;
  // A lone CR or LF in the body is a line break before the dots are stuffed.
  const std::string data = MailData("", MimeParts("x\n.y\r.z", 1252, {}));
  EXPECT_NE(data.find("\r\nx\r\n..y\r\n..z\r\n"), std::string::npos) << data;
}

TEST(MimeMessage, BodiesThatSevenBitCannotCarry) {
  const std::string longest(kMaxTextLine, 'a');
  const struct {
    std::string body;
    bool base64;
  } cases[] = {
      {"plain ASCII\r\nlines", false},
      {longest + "\r\n" + longest, false},
      {longest + "a", true},
      {"short\r\n" + longest + "a\r\nshort", true},
      {"caf\xE9", true},
      {std::string("nul\0byte", 8), true},
      {"--=_xcjvnxkbhvfkxzhfdbvzldjhfv--", true},
      {"text\r\n--=_xcjvnxkbhvfkxzhfdbvzldjhfv", true},
      {" --=_xcjvnxkbhvfkxzhfdbvzldjhfv", false},
  };
  for (const auto& c : cases) EXPECT_EQ(BodyNeedsBase64(c.body), c.base64) << c.body.substr(0, 40);

  const std::string part = MimeParts(longest + "a", 1252, {});
  EXPECT_NE(part.find("Content-Type: text/plain; charset=\"windows-1252\"\r\nContent-Transfer-Encoding: base64\r\n"),
            std::string::npos);
}

TEST(MimeMessage, Base64LinesOf76Characters) {
  EXPECT_EQ(Base64Lines(""), "");
  EXPECT_EQ(Base64Lines("abc"), "YWJj");
  const std::string line57 = Base64Lines(std::string(57, 'x'));  // exactly one full line
  EXPECT_EQ(line57.size(), 78u);
  EXPECT_TRUE(line57.ends_with("eHh4\r\n"));
  const std::string lines = Base64Lines(Bytes0To59());  // 80 characters: one full line and four
  EXPECT_EQ(lines, "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4\r\nOTo7");

  // A 60-byte file: its part ends with the partial line, a line end and the closing boundary.
  EXPECT_TRUE(
      MimeParts("x", 1252, {{"a.bin", Bytes0To59()}}).ends_with("\r\nOTo7\r\n--=_xcjvnxkbhvfkxzhfdbvzldjhfv--\r\n"));
  // A 57-byte file: the full line's CR LF, then the part's own line end.
  EXPECT_TRUE(MimeParts("x", 1252, {{"a.bin", std::string(57, 'x')}})
                  .ends_with("eHh4\r\n\r\n--=_xcjvnxkbhvfkxzhfdbvzldjhfv--\r\n"));
}

TEST(MimeMessage, AttachmentTypesAndNames) {
  EXPECT_EQ(AttachmentContentType("Screenshot.png"), "image/png");
  EXPECT_EQ(AttachmentContentType("SHOT.PNG"), "image/png");
  EXPECT_EQ(AttachmentContentType("a.Png"), "image/png");
  EXPECT_EQ(AttachmentContentType("png"), "application/octet-stream");
  EXPECT_EQ(AttachmentContentType("BugReport.zip"), "application/octet-stream");
  EXPECT_EQ(AttachmentContentType("picture.png.txt"), "application/octet-stream");
  // A name can neither end its quotes nor its header line.
  const std::string part = MimeParts("x", 1252, {{"a\"b\r\nX-Bad: 1.txt", "z"}});
  EXPECT_NE(part.find("        name=\"a\\\"b X-Bad: 1.txt\"\r\n"), std::string::npos) << part;
  EXPECT_EQ(part.find("\r\nX-Bad"), std::string::npos);
}

TEST(MimeMessage, HeaderValuesStayOnOneLine) {
  MailHeaderValues values = Headers("one\r\n\r\ntwo");
  values.Recipient = "a@b>\r\nBcc: <c@d";
  const std::string lines = MailHeaderLines(values);
  EXPECT_NE(lines.find("Subject: one two\r\n"), std::string::npos);
  // "崩溃\r\n报告" in code page 936: one line, then one encoded word.
  values.Subject = "\xB1\xC0\xC0\xA3\r\n\xB1\xA8\xB8\xE6";
  EXPECT_NE(MailHeaderLines(values).find("Subject: =?GBK?B?scDAoyCxqLjm?=\r\n"), std::string::npos);
  EXPECT_NE(lines.find("To: <a@b> Bcc: <c@d>\r\n"), std::string::npos);
  EXPECT_NE(lines.find("Message-ID: <123456@tarvexlog.invalid>\r\n\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tarvex
