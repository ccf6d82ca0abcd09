#include "crashreport/delivery/http/request_body.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "crashreport/delivery/upload/upload_types.h"

namespace {

using namespace tarvex;

class RequestBodyFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("vx_request_body_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string Write(const char* name, const std::string& bytes) {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path folder;
};

TEST_F(RequestBodyFiles, ExecuteBodies) {
  EXPECT_EQ(RequestBody(hmGet, {{"a", "1"}}, {}, "B").Bytes, "");
  EXPECT_EQ(RequestBody(hmGet, {{"a", "1"}}, {}, "B").ContentTypeHeader, "");
  const TRequestBody encoded = RequestBody(hmPostUrlEncoded, {{"a b", "c&d"}}, {}, "B");
  EXPECT_EQ(encoded.ContentTypeHeader, "Content-Type: application/x-www-form-urlencoded");
  EXPECT_EQ(encoded.Bytes, "a%20b=c%26d");

  const std::string report = Write("report.txt", "R");
  const TRequestBody multipart =
      RequestBody(hmPostMultipart, {{"f", "v"}}, {{"attach", report}, {"gone", (folder / "none.bin").string()}}, "B");
  EXPECT_EQ(multipart.ContentTypeHeader, "Content-Type: multipart/form-data; boundary=B");
  EXPECT_EQ(multipart.Bytes,
            "--B\r\nContent-Disposition: form-data; name=\"f\";\r\n\r\nv\r\n"
            "--B\r\nContent-Disposition: form-data; name=\"attach\"; filename=\"report.txt\";\r\n"
            "Content-Type: application/octet-stream\r\n\r\nR\r\n"
            "--B\r\nContent-Disposition: form-data; name=\"gone\"; filename=\"\";\r\n"
            "Content-Type: application/octet-stream\r\n\r\n\r\n"
            "--B--\r\n");
}

TEST_F(RequestBodyFiles, UploadLeavesMissingFilesOutAndKeepsTheirNumbers) {
  const std::string second = Write("shot.png", std::string("\x89PNG\0", 5));
  const TRequestBody upload = UploadBody({{"Email", "a@b.test"}},
                                         {{"BugReport.txt", (folder / "vanished.txt").string()},
                                          {"C:\\tmp\\Screenshot.png", second}},
                                         "B");
  EXPECT_EQ(upload.Bytes, "--B\r\nContent-Disposition: form-data; name=\"Email\";\r\n\r\na@b.test\r\n"
                          "--B\r\nContent-Disposition: form-data; name=\"vx_upload_file_1\"; filename=\"Screenshot.png\";\r\n"
                          "Content-Type: application/octet-stream\r\n\r\n" +
                              std::string("\x89PNG\0", 5) + "\r\n--B--\r\n");
}

TEST(FtpRemoteName, FolderAndBareDisplayName) {
  EXPECT_EQ(FtpRemoteName("in", "BugReport.txt"), "in/BugReport.txt");
  EXPECT_EQ(FtpRemoteName("/pub/in/", "C:\\tmp\\Screenshot.png"), "/pub/in/Screenshot.png");
  EXPECT_EQ(FtpRemoteName("", "dir/BugReport.zip"), "BugReport.zip");
}

}  // namespace
