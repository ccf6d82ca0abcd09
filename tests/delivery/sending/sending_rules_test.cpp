#include <gtest/gtest.h>

#include <map>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/base/util/macros.h"
#include "crashreport/delivery/sending/attachment_list.h"
#include "crashreport/delivery/sending/kept_archives.h"
#include "crashreport/delivery/sending/web_uploads.h"

namespace tarvex {
namespace {

class FixedMacros : public MacroValues {
 public:
  std::string Environment(const std::string& name) const override {
    const auto found = variables.find(name);
    return found != variables.end() ? found->second : std::string();
  }
  std::string ShortDate() const override { return "2026-12-11"; }
  std::string LongTime() const override { return "10:00:00"; }
  std::string CurrentDirectory() const override { return "C:\\work"; }
  std::map<std::string, std::string> variables{{"DATA", "D:\\data"}};
};

TEST(AttachmentList, ExtrasFirstThenTheTemporaryFilesWithMacrosExpanded) {
  TAttachmentSources sources;
  sources.ExtraAttachments = " %DATA%\\settings.ini ;; C:\\a b.txt;";
  sources.ReportFile = "T:\\Calc.elf";
  sources.Screenshot = "T:\\Screenshot.png";
  sources.XmlReport = "T:\\Calc.xml";
  const std::vector<std::string> expected = {"D:\\data\\settings.ini", "C:\\a b.txt", "T:\\Calc.elf",
                                             "T:\\Screenshot.png", "T:\\Calc.xml"};
  EXPECT_EQ(BuildAttachmentList(sources, FixedMacros()), expected);
}

TEST(AttachmentList, AReportInTheMessageBodyIsNotAttachedAgain) {
  TAttachmentSources sources;
  sources.ReportFile = "T:\\Calc.elf";
  sources.ReportInMessage = true;
  sources.LastHTMLPage = "T:\\LastHTMLPage.html";
  EXPECT_EQ(BuildAttachmentList(sources, FixedMacros()), std::vector<std::string>{"T:\\LastHTMLPage.html"});
}

TEST(KeptArchives, OnlyTheArchivesOwnNamesCount) {
  const struct {
    const char* name;
    bool kept;
  } cases[] = {
      {"BugReport.zip", true},
      {"bugreport.ZIP", true},
      {"BugReport__PC1.zip", true},
      {"BugReport__PC1__20261211100000.zip", true},
      {"BugReport__20261211100000.zip", true},
      {"holiday.zip", false},
      {"BugReports.zip", false},
      {"BugReport__.zip", false},
      {"BugReport.zip.bak", false},
      {"MyBugReport.zip", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsKeptArchiveName(c.name), c.kept) << c.name;
}

TEST(KeptArchives, ElevenArchivesLoseTheOneWithTheSmallestNameAndTheUsersZipsStay) {
  std::vector<std::string> names = {"photos.zip", "aaa.zip"};
  for (int day = 11; day <= 21; ++day) names.push_back("BugReport__202612" + std::to_string(day) + "100000.zip");
  EXPECT_EQ(ArchivesToPrune(names), std::vector<std::string>{"BugReport__20261211100000.zip"});
  names.pop_back();
  EXPECT_TRUE(ArchivesToPrune(names).empty()) << "ten are kept";
}

class WebUploadsTest : public ::testing::Test {
 protected:
  TTarvexModuleOptions options;
  const TAttachments files = {{"T:\\BugReport.zip", "BugReport__PC1.zip"}};
};

TEST_F(WebUploadsTest, HttpsTakesPort443UnlessTheAddressOrTheOptionsNameOne) {
  options.SetWebAddress("reports.example.test/upload.php?app=calc");
  options.SetWebLogin("reporter");
  options.SetWebLoginPassword("p@ss:/word");
  const auto upload = HttpUploadFor(options, true, files, TFormFields{{"version", "1.2"}, {"empty", ""}});
  ASSERT_TRUE(upload);
  EXPECT_EQ(upload->Host, "reports.example.test");
  EXPECT_EQ(upload->Port, 443);
  EXPECT_TRUE(upload->Secure);
  EXPECT_EQ(upload->Path, "/upload.php?app=calc");
  EXPECT_EQ(upload->User, "reporter");
  EXPECT_EQ(upload->Password, "p@ss:/word");
  EXPECT_EQ(upload->Fields, (TFormFields{{"version", "1.2"}, {"empty", ""}}));
  ASSERT_EQ(upload->Files.size(), 1u);
  EXPECT_EQ(upload->Files[0].DisplayName, "BugReport__PC1.zip");
  EXPECT_FALSE(upload->Proxy);

  options.SetWebServerPort(8443);
  EXPECT_EQ(HttpUploadFor(options, true, files, {})->Port, 8443);
  options.SetWebServerPort(0);
  EXPECT_EQ(HttpUploadFor(options, false, files, {})->Port, 80);
}

TEST_F(WebUploadsTest, FtpGoesToTheAddressFolderThroughTheProxy) {
  options.SetWebAddress("ftp://user:pw@files.example.test:2121/incoming/calc");
  options.SetProxyServer("proxy.example.test");
  options.SetProxyServerPort(3128);
  const auto upload = FtpUploadFor(options, files);
  ASSERT_TRUE(upload);
  EXPECT_EQ(upload->Host, "files.example.test");
  EXPECT_EQ(upload->Port, 2121);
  EXPECT_EQ(upload->Folder, "/incoming/calc");
  EXPECT_EQ(upload->User, "user");
  ASSERT_TRUE(upload->Proxy);
  EXPECT_EQ(upload->Proxy->HostAndPort(), "proxy.example.test:3128");
}

TEST_F(WebUploadsTest, AnUnreadableAddressGivesNoUpload) {
  options.SetWebAddress("http://bad host/");
  EXPECT_FALSE(HttpUploadFor(options, false, files, {}));
  EXPECT_FALSE(FtpUploadFor(options, files));
}

TEST(TrackerFailureMessage, TheCodesTextThenTheLastResponse) {
  TTarvexModuleOptions options;
  EXPECT_EQ(TrackerFailureMessage(options, 3, 200, "OK"),
            options.Text(mtInvalidLogin) + "\r\n\r\nError Code: 200\r\nError Message: \"OK\"");
  EXPECT_EQ(TrackerFailureMessage(options, 7, 500, "Internal Server Error"),
            options.Text(mtInvalidModify) + "\r\n\r\nError Code: 500\r\nError Message: \"Internal Server Error\"");
  EXPECT_EQ(TrackerFailureMessage(options, 2, 0, "Cannot create an HTTP connection with the host: x"),
            options.Text(mtUnknownError) + "\r\n\r\nError Code: 0\r\nError Message: \"Cannot create an HTTP connection with the host: x\"");
}

TEST(WebFailureMessage, NamesTheMissingLibraryOrAddsTheErrorText) {
  EXPECT_EQ(WebFailureMessage("HTTP", -1, "ignored"), "HTTP error code: -1 - Cannot find the \"wininet.dll\" library.");
  EXPECT_EQ(WebFailureMessage("FTP", 12014, "The password is incorrect."),
            "FTP error code: 12014 (The password is incorrect.)");
  EXPECT_EQ(WebFailureMessage("HTTPS", 404, ""), "HTTPS error code: 404");
}

}  // namespace
}  // namespace tarvex
