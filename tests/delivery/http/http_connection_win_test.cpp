// Web requests of a connection against the loopback server: methods and
// bodies as the server parses them, redirects and their bound, the size
// limit, logins, progress, and what a failed request leaves.
#include "crashreport/delivery/http/http_connection_win.h"

#include <gtest/gtest.h>

#include "crashreport/base/util/base64.h"
#include "crashreport/delivery/http/response_body.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "tests/delivery/http/web_peers_win.h"

namespace {

using namespace tarvex;
using namespace tarvex::webtest;

// A connection that notes the progress kinds it is given.
class TRecordingConnection : public THTTPConnectionBase {
 public:
  explicit TRecordingConnection(const TWebEndpoint& web, const TProxyEndpoint& proxy = {})
      : THTTPConnectionBase(web, proxy, false) {
    Connect();
  }
  ~TRecordingConnection() override = default;
  void Progress(int kind, int percent) override {
    kinds.push_back(kind);
    if (kind == hpSending) percents.push_back(percent);
  }
  std::vector<int> kinds, percents;
};

std::string Server() { return "http://127.0.0.1:" + std::to_string(PeerPort("VX_HTTP_PORT")); }

TEST(HttpConnection, GetPutsFieldsInTheQueryAndTheFormReaderReadsTheAnswer) {
  TRecordingConnection connection(WebAt(Server() + "/echo/"));
  EXPECT_EQ(connection.RootPath, "/echo/");
  connection.SetRequest("get-fields?id=7", hmGet);
  connection.AddField("a&b", "c=d e");
  ASSERT_TRUE(connection.Execute()) << connection.LastResponse.ErrorText;
  const THTTPResponse& response = connection.LastResponse;
  EXPECT_EQ(response.StatusCode, 200);
  EXPECT_EQ(response.StatusText, "OK");
  EXPECT_EQ(response.Document, "get-fields");
  EXPECT_NE(response.Headers.find("Content-Type: text/html"), std::string::npos);
  EXPECT_EQ(response.Body.find_first_of("\r\n"), std::string::npos);  // control bytes are spaces
  EXPECT_TRUE(connection.ResponseIs("GET-FIELDS", "<title>echo</title>", "not found"));
  connection.SetRequest("next", hmGet);
  connection.CopyInputField("method");
  connection.CopyInputField("path");
  EXPECT_EQ(connection.FormFields, (TFormFields{{"method", "GET"}, {"path", "/echo/get-fields?id=7&a%26b=c%3Dd%20e"}}));
}

TEST(HttpConnection, PostBodiesKeepAwkwardNamesApart) {
  TTempFolder folder;
  const std::string bytes = AwkwardBytes(10000, 5);
  TRecordingConnection connection(WebAt(Server() + "/echo/"));
  connection.SetRequest("url-encoded", hmPostUrlEncoded);
  connection.AddField("a&b=c", "d&e=f");
  connection.AddField("summary", "[v1 - 1]: x");
  ASSERT_TRUE(connection.Execute());
  auto record = ReadRecord("url-encoded");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Method, "POST");
  EXPECT_EQ(record->Fields, (std::vector<std::pair<std::string, std::string>>{{"a&b=c", "d&e=f"},
                                                                              {"summary", "[v1 - 1]: x"}}));

  connection.SetRequest("multipart", hmPostMultipart);
  connection.AddField("description", "line 1\r\nline 2");
  connection.AddFile("attachment", folder.Write("BugReport.zip", bytes));
  connection.AddFile("gone", folder.Path("nothing.zip"));
  ASSERT_TRUE(connection.Execute());
  record = ReadRecord("multipart");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Fields, (std::vector<std::pair<std::string, std::string>>{{"description", "line 1\r\nline 2"}}));
  ASSERT_EQ(record->Files.size(), 2u);
  EXPECT_EQ(record->Files[0].FileName, "BugReport.zip");
  EXPECT_EQ(record->Files[0].Crc, Crc32(bytes));
  EXPECT_EQ(record->Files[1].Field, "gone");
  EXPECT_EQ(record->Files[1].Size, 0u);
  EXPECT_TRUE(connection.ResponseIs("multipart", "name=\"field:description\"", ""));
}

TEST(HttpConnection, RedirectsAreFollowedAsGetAndBounded) {
  TRecordingConnection connection(WebAt(Server()));
  struct TCase {
    const char* Page;
    THTTPMethod Method;
    bool Succeeds;
    int Status;
    const char* Document;
  } cases[] = {
      {"post-redirect", hmPostUrlEncoded, true, 200, "after-post"},  // a 302 to a POST: GET without fields
      {"hops/10", hmGet, true, 200, "hops"},
      {"hops/11", hmGet, false, 302, ""},
      {"loop", hmGet, false, 302, ""},
      {"refresh-self", hmGet, false, 302, ""},
      {"dir/refresh", hmGet, true, 200, "landing"},  // Refresh "url=" beside the page
      {"moved", hmGet, true, 301, "new.php"},        // a 301 ends the request, naming the new page
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Page);
    connection.SetRequest(c.Page, c.Method);
    connection.AddField("secret", "s");
    EXPECT_EQ(connection.Execute(), c.Succeeds);
    EXPECT_EQ(connection.LastResponse.StatusCode, c.Status);
    if (c.Succeeds) {
      EXPECT_EQ(connection.LastResponse.Document, c.Document);
      EXPECT_EQ(connection.LastResponse.ErrorCode, 0u);
    } else {
      EXPECT_EQ(connection.LastResponse.ErrorCode, 12156u);
      EXPECT_EQ(connection.LastResponse.ErrorText,
                "The redirection failed because either the scheme changed or all attempts made to redirect failed.");
    }
  }
  connection.SetRequest("post-redirect", hmPostUrlEncoded);
  connection.AddField("secret", "s");
  ASSERT_TRUE(connection.Execute());
  EXPECT_EQ(Record("post-redirect").Fields.size(), 1u);
  const TRecord after = Record("after-post");
  EXPECT_EQ(after.Method, "GET");
  EXPECT_TRUE(after.Fields.empty());
  EXPECT_EQ(connection.Method, hmGet);
  EXPECT_TRUE(connection.FormFields.empty());
}

TEST(HttpConnection, AnswersBeyondTheLimitFail) {
  TRecordingConnection connection(WebAt(Server()));
  connection.SetRequest("bytes/" + std::to_string(kMaxResponseBody), hmGet);
  ASSERT_TRUE(connection.Execute(false)) << connection.LastResponse.ErrorText;
  EXPECT_EQ(connection.LastResponse.Body.size(), kMaxResponseBody);
  connection.SetRequest("bytes/" + std::to_string(kMaxResponseBody + 1), hmGet);
  EXPECT_FALSE(connection.Execute(false));
  EXPECT_EQ(connection.LastResponse.ErrorCode, 223u);
  EXPECT_EQ(connection.LastResponse.ErrorText, "The response is larger than 8 MB.");
  EXPECT_EQ(connection.LastResponse.Body, "");
}

TEST(HttpConnection, LoginTravelsApartFromTheAddress) {
  // Port in the address with no port option; login and password with "@", ":" and "/".
  TRecordingConnection connection(WebAt(Server() + "/echo/", "us:er", "p@ss:w/rd"));
  EXPECT_EQ(connection.ServerHost, "127.0.0.1");
  EXPECT_EQ(connection.ServerPort, PeerPort("VX_HTTP_PORT"));
  connection.SetRequest("login", hmGet);
  ASSERT_TRUE(connection.Execute());
  EXPECT_EQ(Record("login").Authorization, "Basic " + Base64Encode("us:er:p@ss:w/rd"));
  connection.SetRequest("", hmGet);
  connection.CopyInputField("auth");
  EXPECT_EQ(connection.FormFields, (TFormFields{{"auth", "us:er:p@ss:w/rd"}}));
}

TEST(HttpConnection, ThroughTheProxyWithItsLogin) {
  // A host known to the proxy only.
  const std::string server = "http://tracker.test:" + std::to_string(PeerPort("VX_HTTP_PORT"));
  TRecordingConnection connection(WebAt(server + "/echo/"),
                                  {"127.0.0.1", PeerPort("VX_PROXY_PORT"), "proxy:user", "pr@x/y"});
  EXPECT_TRUE(connection.ViaProxy);
  connection.SetRequest("via-proxy", hmGet);
  ASSERT_TRUE(connection.Execute()) << connection.LastResponse.ErrorText;
  const auto lines = ReadProxyLog();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().Url, server + "/echo/via-proxy");
  EXPECT_EQ(lines.back().ProxyAuthorization, "Basic " + Base64Encode("proxy:user:pr@x/y"));
}

TEST(HttpConnection, ProgressFromConnectToDisconnect) {
  TRecordingConnection connection(WebAt(Server() + "/echo/"));
  EXPECT_EQ(connection.kinds, (std::vector<int>{hpConnecting, hpConnected}));
  connection.SetRequest("progress", hmPostUrlEncoded);
  connection.AddField("big", std::string(20000, 'x'));
  ASSERT_TRUE(connection.Execute());
  ASSERT_GE(connection.percents.size(), 2u);
  EXPECT_EQ(connection.kinds.back(), hpSent);
  for (size_t i = 1; i < connection.percents.size(); ++i) EXPECT_GE(connection.percents[i], connection.percents[i - 1]);
  EXPECT_EQ(connection.percents.back(), 100);
  EXPECT_TRUE(std::find(connection.percents.begin(), connection.percents.end(), 50) != connection.percents.end());
  connection.kinds.clear();
  connection.Disconnect();
  EXPECT_EQ(connection.kinds, (std::vector<int>{hpDisconnecting, hpDisconnected}));
  EXPECT_FALSE(connection.Connected());
  EXPECT_FALSE(connection.Execute(false));
  EXPECT_EQ(connection.LastResponse.ErrorCode, 12019u);
}

TEST(HttpConnection, UnreadableAddressesAndRefusedConnections) {
  TRecordingConnection bad(WebAt("http://bad host/"));
  EXPECT_FALSE(bad.Connected());
  EXPECT_TRUE(bad.kinds.empty());
  EXPECT_FALSE(bad.Execute());
  EXPECT_EQ(bad.LastResponse.ErrorCode, 12005u);
  EXPECT_EQ(bad.LastResponse.ErrorText, "The URL is invalid.");

  TRefusingPort nobody;
  TRecordingConnection refused(WebAt("http://127.0.0.1:" + std::to_string(nobody.Port()) + "/"));
  ASSERT_TRUE(refused.Connected());  // the library connects when the first request goes out
  EXPECT_FALSE(refused.Execute());
  EXPECT_EQ(refused.LastResponse.ErrorCode, 12029u);
  EXPECT_EQ(refused.LastResponse.ErrorText, "The attempt to connect to the server failed.");
  EXPECT_EQ(refused.kinds.back(), hpSending);
  EXPECT_EQ(refused.percents.back(), 50);
}

}  // namespace
