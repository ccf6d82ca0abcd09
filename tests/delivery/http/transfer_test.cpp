// The response body's limit, the progress texts and bar, the error table.
#include <gtest/gtest.h>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/delivery/http/response_body.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/delivery/http/wininet_errors.h"

namespace {

using namespace tarvex;

TEST(ResponseBody, StopsAtTheLimitAndKeepsWhatFits) {
  TResponseBody body(10);
  EXPECT_TRUE(body.Append("12345"));
  EXPECT_TRUE(body.Append("67890"));
  EXPECT_FALSE(body.Append("x"));
  EXPECT_EQ(body.Size(), 10u);
  EXPECT_EQ(kMaxResponseBody, 8u * 1024 * 1024);

  TResponseBody full;
  const std::string block(4096, 'a');
  size_t appended = 0;
  while (full.Append(block)) appended += block.size();
  EXPECT_EQ(appended, kMaxResponseBody);
}

TEST(ResponseBody, ControlBytesBecomeSpaces) {
  TResponseBody body;
  ASSERT_TRUE(body.Append(std::string("a\r\nb\0\x1f\x20\x7f\xff", 9)));
  EXPECT_EQ(body.Text(), std::string("a  b   \x7f\xff"));
}

TEST(TransferProgress, ConnectionKinds) {
  struct TCase {
    int Kind, Percent, Text;
    TBarMove Bar;
  } cases[] = {
      {hpConnecting, 0, mtConnecting, {true, false, 5}},
      {hpConnected, 0, mtConnected, {false, true, 5}},
      {hpLogin, 0, mtLogin, {false, true, 5}},
      {hpSelectProject, 0, mtSelectProject, {false, true, 5}},
      {hpSearching, 0, mtSearching, {false, true, 5}},
      {hpModifying, 0, mtModifying, {false, true, 5}},
      {hpSending, 0, mtSendingMessage, {false, false, 35}},
      {hpSending, 50, mtSendingMessage, {false, false, 68}},
      {hpSending, 100, mtSendingMessage, {false, false, 100}},
      {hpSent, 0, mtMessageSent, {false, false, 100}},
      {hpDisconnecting, 0, mtDisconnecting, {false, false, 100}},
      {hpDisconnected, 0, mtDisconnected, {false, false, 100}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Kind);
    EXPECT_EQ(ConnectionProgressText(c.Kind), c.Text);
    EXPECT_EQ(ConnectionBarMove(c.Kind, c.Percent), c.Bar);
  }
  EXPECT_EQ(ConnectionProgressText(10), -1);
  EXPECT_EQ(UploadProgressText(upConnecting), mtConnecting);
  EXPECT_EQ(UploadProgressText(upConnected), mtConnected);
  EXPECT_EQ(UploadProgressText(upSending), mtSendingMessage);
  EXPECT_EQ(UploadBarMove(0, 10, 0), (TBarMove{true, false, 0}));
  EXPECT_EQ(UploadBarMove(1, 10, 0).Value, -1);
  EXPECT_EQ(UploadBarMove(2, 3, 1), (TBarMove{false, false, 33}));
  EXPECT_EQ(UploadBarMove(2, 3, 2), (TBarMove{false, false, 67}));
}

TEST(TransferProgress, Percents) {
  EXPECT_EQ(SendPercent(0, 8192), 0);
  EXPECT_EQ(SendPercent(4096, 8192), 50);
  EXPECT_EQ(SendPercent(8192, 8192), 50);
  EXPECT_EQ(SendPercent(1, 3), 33);
  EXPECT_EQ(ReceivePercent(0, 100), 50);
  EXPECT_EQ(ReceivePercent(1, 3), 67);
  EXPECT_EQ(ReceivePercent(100, 100), 100);
  // No content length (counted as 1) or more than announced: never beyond 100.
  EXPECT_EQ(ReceivePercent(4096, 1), 100);
  EXPECT_EQ(RoundedPercent(5, 0), 100);
}

TEST(WinInetErrors, TellingRowsAndTheRangesCovered) {
  struct TCase {
    uint32_t Code;
    const char* Text;
  } rows[] = {
      {12002, "The request has timed out."},
      {12005, "The URL is invalid."},
      {12007, "The server name could not be resolved."},
      {12015, "Log on request failed."},
      {12029, "The attempt to connect to the server failed."},
      {12030, "The connection with the server has been terminated."},
      {12037, "SSL certificate date is bad. The certificate is expired."},
      {12045, "The function is unfamiliar with the Certificate Authority that generated the server's certificate."},
      {12111, "FTP session aborted."},
      {12152, "The server response could not be parsed."},
      {12163, "The Internet connection has been lost."},
      {12171, "The function failed due to a security check."},
  };
  for (const TCase& row : rows) EXPECT_EQ(WinInetErrorText(row.Code), row.Text) << row.Code;

  const std::pair<uint32_t, uint32_t> ranges[] = {{12001, 12033}, {12036, 12045}, {12052, 12052}, {12055, 12055},
                                                  {12110, 12112}, {12130, 12138}, {12150, 12156}, {12160, 12171}};
  int listed = 0;
  for (uint32_t code = 11990; code <= 12200; ++code) {
    bool inRange = false;
    for (const auto& [first, last] : ranges) inRange = inRange || (code >= first && code <= last);
    EXPECT_EQ(!WinInetErrorText(code).empty(), inRange) << code;
    listed += inRange;
  }
  EXPECT_EQ(listed, kWinInetErrorCount);
  EXPECT_EQ(WinInetErrorText(0), "");
}

}  // namespace
