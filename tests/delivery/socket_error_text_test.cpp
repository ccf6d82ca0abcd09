#include "crashreport/delivery/net/socket_error_text.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

const std::string kTranscript = "Connected to 127.0.0.1 port 25\r\n220 hi\r\nHELO me\r\n";

TEST(SocketErrorText, FourCompositions) {
  const SocketErrorContext context{kTranscript, "550 no\r\n", "mail.test", 25};
  const struct {
    const char* what;
    std::string message;
    SocketErrorContext context;
    std::string text;
  } cases[] = {
      {"transcript not in the message", "Socket timeout.", context,
       "Socket timeout.\r\n\r\nError log:\r\n550 no\r\n\r\n\r\nSocket log:\r\n" + kTranscript +
           "\r\n\r\nDestination: mail.test:25"},
      {"empty transcript", "Socket timeout.", SocketErrorContext{"", "", "h", 7},
       "Socket timeout.\r\n\r\nError log:\r\n\r\n\r\nSocket log:\r\n\r\n\r\nDestination: h:7"},
      {"message is the transcript", kTranscript, context,
       "Error log:\r\n550 no\r\n\r\n\r\nSocket log:\r\n" + kTranscript + "\r\n\r\nDestination: mail.test:25"},
      {"transcript later in the message", "Failed: " + kTranscript, context,
       "Failed: " + kTranscript + "\r\n\r\nError log:\r\n550 no\r\n\r\n\r\nDestination: mail.test:25"},
  };
  for (const auto& c : cases) EXPECT_EQ(ComposeSocketErrorText(c.message, c.context), c.text) << c.what;
}

TEST(SocketErrorText, CutAfter1024Characters) {
  const std::string message(5000, 'e');
  const std::string text = ComposeSocketErrorText(message, {kTranscript, "", "h", 1});
  EXPECT_EQ(text, std::string(1024, 'e') + "...");

  const std::string fits(1024 - std::string("\r\n\r\nError log:\r\n\r\n\r\nSocket log:\r\n\r\n\r\nDestination: h:1").size(),
                         'f');
  EXPECT_EQ(ComposeSocketErrorText(fits, {"", "", "h", 1}).size(), 1024u);
  EXPECT_EQ(ComposeSocketErrorText(fits + "f", {"", "", "h", 1}).substr(1024), "...");
}

TEST(SocketErrorText, TranscriptKeepsOnlyWhatAnErrorTextCanShow) {
  std::string log = "Connected\r\n";
  AppendWithinLimit(log, std::string(2000, 'x'));
  EXPECT_EQ(log.size(), kSocketErrorTextLimit);
  EXPECT_EQ(log.substr(0, 11), "Connected\r\n");
  AppendWithinLimit(log, "more");
  EXPECT_EQ(log.size(), kSocketErrorTextLimit);
  std::string small;
  AppendWithinLimit(small, "abc", 2);
  EXPECT_EQ(small, "ab");
}

}  // namespace
}  // namespace tarvex
