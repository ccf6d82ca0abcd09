// HTTP and FTP uploads against the loopback peers: what the servers parse out
// of what was sent, the results and texts of failures, the progress reported.
#include "crashreport/delivery/upload/upload_win.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "crashreport/base/util/base64.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "tests/delivery/http/web_peers_win.h"

namespace {

using namespace tarvex;
using namespace tarvex::webtest;

struct TProgressEvent {
  int Kind;
  uint64_t Total, Done;
};

// The progress an upload reports, checked for order: connecting, connected,
// then sending with the bytes done rising to the total.
class ProgressLog {
 public:
  TUploadProgress Callback() {
    return [this](int kind, uint64_t total, uint64_t done) { events.push_back({kind, total, done}); };
  }
  void ExpectComplete(uint64_t total) const {
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].Kind, upConnecting);
    EXPECT_EQ(events[1].Kind, upConnected);
    uint64_t last = 0;
    for (size_t i = 2; i < events.size(); ++i) {
      EXPECT_EQ(events[i].Kind, upSending);
      EXPECT_EQ(events[i].Total, total);
      EXPECT_GT(events[i].Done, last);
      last = events[i].Done;
    }
    EXPECT_EQ(last, total);
  }
  std::vector<TProgressEvent> events;
};

THTTPUpload HttpUpload(const std::string& path) {
  THTTPUpload upload;
  upload.Host = "127.0.0.1";
  upload.Port = PeerPort("VX_HTTP_PORT");
  upload.Path = path;
  return upload;
}

TEST(HttpUpload, FieldsAndExistingFilesArriveWhole) {
  TTempFolder folder;
  const std::string report = AwkwardBytes(5000, 1), shot = AwkwardBytes(70000, 2);
  THTTPUpload upload = HttpUpload("/upload/two-files");
  upload.Fields = {{"Email", "ann@example.test"}, {"Steps", "a&b=c\r\n\"quoted\""}, {"x\"y\r\nz", "1"}};
  upload.Files = {{"BugReport.txt", folder.Write("report.tmp", report)},
                  {"Gone.png", folder.Path("vanished.png")},
                  {"C:\\anywhere\\Screenshot.png", folder.Write("shot.tmp", shot)}};
  std::string errorText = "untouched";
  ProgressLog progress;
  ASSERT_EQ(UploadHTTP(upload, errorText, progress.Callback()), kUploadSent) << errorText;

  const auto record = ReadRecord("two-files");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Method, "POST");
  EXPECT_EQ(record->Authorization, "");
  // The escaped name stays one field: its quote and line end are data, not header syntax.
  EXPECT_EQ(record->Fields, (std::vector<std::pair<std::string, std::string>>{
                                {"Email", "ann@example.test"}, {"Steps", "a&b=c\r\n\"quoted\""}, {"x%22y%0D%0Az", "1"}}));
  ASSERT_EQ(record->Files.size(), 2u);
  EXPECT_EQ(record->Files[0].Field, "vx_upload_file_0");
  EXPECT_EQ(record->Files[0].FileName, "BugReport.txt");
  EXPECT_EQ(record->Files[0].Size, report.size());
  EXPECT_EQ(record->Files[0].Crc, Crc32(report));
  EXPECT_EQ(record->Files[1].Field, "vx_upload_file_2");  // keeps its number past the vanished file
  EXPECT_EQ(record->Files[1].FileName, "Screenshot.png");
  EXPECT_EQ(record->Files[1].Crc, Crc32(shot));
  progress.ExpectComplete(record->BodySize);
}

TEST(HttpUpload, BasicAuthorizationWithAwkwardPassword) {
  THTTPUpload upload = HttpUpload("/upload/auth?auth=us%3Aer%3Ap%40ss%3Aw%2Frd");
  upload.User = "us:er";
  upload.Password = "p@ss:w/rd";
  std::string errorText;
  EXPECT_EQ(UploadHTTP(upload, errorText, nullptr), kUploadSent) << errorText;
  EXPECT_EQ(Record("auth").Authorization, "Basic " + Base64Encode("us:er:p@ss:w/rd"));

  upload.Password = "wrong";
  EXPECT_EQ(UploadHTTP(upload, errorText, nullptr), 401);
  EXPECT_EQ(errorText, "Unauthorized");
}

TEST(HttpUpload, OtherStatusesAndConnectionFailures) {
  struct TCase {
    const char* Path;
    int Result;
    const char* Text;
  } cases[] = {
      {"/upload/refused?status=503", 503, "Service Unavailable"},
      {"/upload/forbidden?status=403", 403, "Forbidden"},
      {"/no-such-page", 404, "Not Found"},
  };
  for (const TCase& c : cases) {
    std::string errorText;
    EXPECT_EQ(UploadHTTP(HttpUpload(c.Path), errorText, nullptr), c.Result) << c.Path;
    EXPECT_EQ(errorText, c.Text) << c.Path;
  }
  TRefusingPort nobody;
  THTTPUpload upload = HttpUpload("/upload/none");
  upload.Port = nobody.Port();
  std::string errorText;
  EXPECT_EQ(UploadHTTP(upload, errorText, nullptr), 12029);
  EXPECT_EQ(errorText, "The attempt to connect to the server failed.");
}

TEST(HttpUpload, ThroughTheProxyWithItsLogin) {
  THTTPUpload upload = HttpUpload("/upload/proxied");
  upload.Host = "tracker.test";  // known to the proxy only
  upload.Proxy = TProxy{"127.0.0.1", PeerPort("VX_PROXY_PORT"), "proxy:user", "pr@x/y"};
  const size_t before = ReadProxyLog().size();
  std::string errorText;
  ASSERT_EQ(UploadHTTP(upload, errorText, nullptr), kUploadSent) << errorText;
  const auto lines = ReadProxyLog();
  ASSERT_GT(lines.size(), before);
  EXPECT_EQ(lines.back().Method, "POST");
  EXPECT_EQ(lines.back().Url, "http://tracker.test:" + std::to_string(upload.Port) + "/upload/proxied");
  EXPECT_EQ(lines.back().ProxyAuthorization, "Basic " + Base64Encode("proxy:user:pr@x/y"));
  EXPECT_TRUE(ReadRecord("proxied"));
}

TFTPUpload FtpUpload(const std::string& folder) {
  TFTPUpload upload;
  upload.Host = "127.0.0.1";
  upload.Port = PeerPort("VX_FTP_PORT");
  upload.Folder = folder;
  upload.User = std::getenv("VX_FTP_USER") ? std::getenv("VX_FTP_USER") : "";
  upload.Password = std::getenv("VX_FTP_PASSWORD") ? std::getenv("VX_FTP_PASSWORD") : "";
  return upload;
}

TEST(FtpUpload, ExistingFilesGoIntoTheFolderByTheirDisplayNames) {
  TTempFolder folder;
  const std::string report = AwkwardBytes(3000, 3), shot = AwkwardBytes(9000, 4);
  const std::string remote = PeerPath("VX_FTP_ROOT") + "\\in";
  std::filesystem::create_directories(remote);
  TFTPUpload upload = FtpUpload("in");  // no closing "/"
  upload.Files = {{"BugReport.txt", folder.Write("r.tmp", report)},
                  {"Missing.txt", folder.Path("missing.tmp")},
                  {"X:\\shots\\Screenshot.png", folder.Write("s.tmp", shot)}};
  std::string errorText;
  ProgressLog progress;
  ASSERT_EQ(UploadFTP(upload, errorText, progress.Callback()), kUploadSent) << errorText;
  EXPECT_EQ(FileBytes(remote + "\\BugReport.txt"), report);
  EXPECT_EQ(FileBytes(remote + "\\Screenshot.png"), shot);
  EXPECT_FALSE(std::filesystem::exists(remote + "\\Missing.txt"));
  progress.ExpectComplete(report.size() + shot.size());
}

TEST(FtpUpload, NothingToSendAndFailures) {
  std::string errorText;
  ProgressLog progress;
  EXPECT_EQ(UploadFTP(FtpUpload("in"), errorText, progress.Callback()), kUploadSent);
  EXPECT_TRUE(progress.events.empty());

  TTempFolder folder;
  TFTPUpload wrongLogin = FtpUpload("");
  wrongLogin.Password = "not it";
  wrongLogin.Files = {{"a.txt", folder.Write("a.tmp", "a")}};
  EXPECT_NE(UploadFTP(wrongLogin, errorText, nullptr), kUploadSent);
  EXPECT_FALSE(errorText.empty());

  TFTPUpload noFolder = FtpUpload("no/such/folder");
  noFolder.Files = wrongLogin.Files;
  errorText.clear();
  EXPECT_NE(UploadFTP(noFolder, errorText, nullptr), kUploadSent);
  EXPECT_FALSE(errorText.empty());
}

// PHP's form parsing as a second receiver (run with --php; skipped by the
// runner when PHP is not installed).
TEST(PhpUpload, FilesArriveInPhpsFileList) {
  if (std::getenv("VX_PHP_PORT") == nullptr) GTEST_SKIP() << "needs the runner's --php";
  TTempFolder folder;
  const std::string report = AwkwardBytes(50000, 8);
  THTTPUpload upload = HttpUpload("/upload.php?record=php-upload");
  upload.Port = PeerPort("VX_PHP_PORT");
  upload.Fields = {{"Email", "ann@example.test"}, {"Steps", "a&b=c\r\nd"}};
  upload.Files = {{"Gone.txt", folder.Path("gone.tmp")}, {"BugReport.zip", folder.Write("r.tmp", report)}};
  std::string errorText;
  ASSERT_EQ(UploadHTTP(upload, errorText, nullptr), kUploadSent) << errorText;
  const TRecord record = Record("php-upload");
  EXPECT_EQ(record.Fields, (std::vector<std::pair<std::string, std::string>>{{"Email", "ann@example.test"},
                                                                             {"Steps", "a&b=c\r\nd"}}));
  ASSERT_EQ(record.Files.size(), 1u);
  EXPECT_EQ(record.Files[0].Field, "vx_upload_file_1");
  EXPECT_EQ(record.Files[0].FileName, "BugReport.zip");
  EXPECT_EQ(record.Files[0].Size, report.size());
  EXPECT_EQ(record.Files[0].Crc, Crc32(report));
}

}  // namespace
