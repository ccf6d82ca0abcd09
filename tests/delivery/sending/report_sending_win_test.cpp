// Whole deliveries by web against the loopback peers: what arrives, the
// events around each channel, the outcome on failure, and the temporary
// files, which never outlive a delivery.
#include "crashreport/delivery/sending/report_sending_win.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/base/util/local_files_win.h"
#include "crashreport/delivery/http/wininet_errors.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/delivery/sending/report_sender_win.h"
#include "rtl/exception.h"
#include "tests/delivery/http/web_peers_win.h"
#include "tests/delivery/mail_peers_win.h"

namespace tarvex {
namespace {

using namespace tarvex::webtest;

constexpr const char* kReport = "Application\r\n-----------\r\nCalc\r\n";

constexpr const char* kEncrypted = "(encrypted)";

// The entries of a zip archive and their bytes; kEncrypted for an entry
// encrypted with a password (the zip writer's own tests decrypt those).
std::map<std::string, std::string> ZipEntries(const std::string& archive) {
  std::map<std::string, std::string> entries;
  unzFile zip = unzOpen(archive.c_str());
  EXPECT_NE(zip, nullptr) << archive;
  if (zip == nullptr) return entries;
  for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
    char name[260] = {};
    unz_file_info info;
    unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0);
    if ((info.flag & 1) != 0) {
      entries[name] = kEncrypted;
      continue;
    }
    EXPECT_EQ(unzOpenCurrentFile(zip), UNZ_OK) << name;
    std::string bytes(info.uncompressed_size, '\0');
    EXPECT_EQ(unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size())),
              static_cast<int>(bytes.size()));
    EXPECT_EQ(unzCloseCurrentFile(zip), UNZ_OK) << name << ": CRC";
    entries[name] = bytes;
  }
  unzClose(zip);
  return entries;
}

class ReportSendingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.SetLogFilePath(logs.Path("Calc.elf"));
    options.SetSendFlags(0);
    request.Options = &options;
    request.ReportText = kReport;
    request.Events = &events;
    request.ExceptionTime = 46367.5;  // 2026-12-11 12:00:00
    request.DialogsAllowed = false;
    events.ProcedureVariables().OnExceptionActionNotify = [this](TExceptionInfo&, TActionCode code, bool& goOn) {
      actions.push_back(code);
      if (code == stopAt) goOn = false;
    };
    events.ProcedureVariables().OnExceptionErrorNotify = [this](TExceptionInfo&, TActionError, bool& retry) {
      retry = ++failures <= retries;
    };
  }

  void UploadTo(const std::string& path, uint16_t port = 0) {
    options.SetWebDelivery(wdHTTP);
    options.SetWebAddress("http://127.0.0.1:" + std::to_string(port != 0 ? port : PeerPort("VX_HTTP_PORT")) + path);
  }

  // The temporary files a delivery may leave: none must be left.
  static void ExpectNoTemporaryFiles() {
    const std::string temp = TemporaryFolder();
    for (const char* name : {"Calc.elf", "Calc.xml", "BugReport.zip", "LastHTMLPage.html"})
      EXPECT_FALSE(std::filesystem::exists(temp + name)) << name << " was left in " << temp;
  }

  TTempFolder logs;
  TTarvexModuleOptions options;
  TEventRoute events;
  TDeliveryRequest request;
  std::vector<int> actions;
  int stopAt = -1;
  int failures = 0, retries = 0;
};

TEST_F(ReportSendingTest, FtpCarriesEveryAttachmentInTheArchive) {
  TTempFolder own;
  const std::string notes = AwkwardBytes(4000, 7);
  options.SetExtraAttachments(" " + own.Write("notes.bin", notes) + " ; " + own.Path("missing.txt") + ";");
  options.SetSendFlags(sfIncludeXMLReport | sfIncludeLastHTMLPage | sfTagFilesWithDate);
  options.SetWebDelivery(wdFTP);
  options.SetWebAddress("ftp://127.0.0.1/sent");
  options.SetWebServerPort(PeerPort("VX_FTP_PORT"));
  options.SetWebLogin(std::getenv("VX_FTP_USER"));
  options.SetWebLoginPassword(std::getenv("VX_FTP_PASSWORD"));
  request.LastHTMLPage = "<html>last</html>";
  std::vector<std::string> offered;
  events.ProcedureVariables().OnAttachedFilesRequest = [&](TExceptionInfo&, TStrings& files) { offered = files; };
  std::filesystem::create_directories(PeerPath("VX_FTP_ROOT") + "\\sent");

  EXPECT_TRUE(TReportSending(request, options).Run()) << LastDeliveryError().Message;

  ASSERT_EQ(offered.size(), 5u);
  EXPECT_EQ(offered[1], own.Path("missing.txt")) << "the host sees the list before missing files are dropped";
  EXPECT_EQ(actions, (std::vector<int>{acBeforeWeb, acAfterWeb}));
  const auto entries = ZipEntries(PeerPath("VX_FTP_ROOT") + "\\sent\\BugReport__20261211120000.zip");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries.at("notes.bin"), notes);
  EXPECT_EQ(entries.at("Calc.elf"), std::string(kReport) + "\r\n\r\n\r\n");
  EXPECT_EQ(entries.at("LastHTMLPage.html"), "<html>last</html>");
  EXPECT_NE(entries.at("Calc.xml").find("<Log"), std::string::npos);
  ExpectNoTemporaryFiles();
}

TEST_F(ReportSendingTest, MailAndWebShareOneArchiveUnlessTheMailCarriesTheReport) {
  UploadTo("/upload/both");
  options.SetMailDelivery(mdSMTPRelay);
  options.SetMailServer("127.0.0.1");
  options.SetMailServerPort(testing::SmtpPort());
  options.SetMailServerLogin("reporter");
  options.SetMailServerPassword("s3cret");
  options.SetMailRecipients("bugs@example.test");
  options.SetMessageBody("Please look at this.");
  int prepared = 0;
  events.ProcedureVariables().OnAttachedFilesRequest = [&](TExceptionInfo&, TStrings&) { ++prepared; };

  EXPECT_TRUE(TReportSending(request, options).Run()) << LastDeliveryError().Message;
  EXPECT_EQ(prepared, 1) << "the web sends the mail's archive";
  EXPECT_EQ(actions, (std::vector<int>{acBeforeEmail, acAfterEmail, acBeforeWeb, acAfterWeb}));
  EXPECT_NE(testing::SpooledMessage(1).find("filename=\"BugReport.zip\""), std::string::npos);
  EXPECT_EQ(Record("both").Files.size(), 1u);

  options.SetAppendReportToMessage(true);
  prepared = 0;
  EXPECT_TRUE(TReportSending(request, options).Run()) << LastDeliveryError().Message;
  EXPECT_EQ(prepared, 2) << "the mail carries the report in its body, the web gets an archive of its own";
  const std::string mail = testing::SpooledMessage(2);
  EXPECT_NE(mail.find("Please look at this.\r\n\r\n\r\nApplication\r\n"), std::string::npos) << mail;
  ExpectNoTemporaryFiles();
}

TEST_F(ReportSendingTest, TheWholeLogGoesInsteadOfTheReportWhenAskedFor) {
  UploadTo("/upload/whole-log");
  request.WholeLog = "first report\r\n\r\n\r\nsecond report\r\n\r\n\r\n";
  std::string sentText;
  events.ProcedureVariables().OnAttachedFilesRequest = [&](TExceptionInfo&, TStrings& files) {
    sentText = FileBytes(files.at(0));
  };
  EXPECT_TRUE(TReportSending(request, options).Run()) << LastDeliveryError().Message;
  EXPECT_EQ(sentText, request.WholeLog) << "a text that already ends in three line ends gets no more";
  const TRecord record = Record("whole-log");
  ASSERT_EQ(record.Files.size(), 1u);
  EXPECT_EQ(record.Files[0].FileName, "BugReport.zip");
  ExpectNoTemporaryFiles();
}

TEST_F(ReportSendingTest, AHandlerThatClearsTheBeforeEventStopsTheChannel) {
  UploadTo("/upload/stopped");
  stopAt = acBeforeWeb;
  EXPECT_FALSE(TReportSending(request, options).Run());
  EXPECT_EQ(actions, (std::vector<int>{acBeforeWeb}));
  EXPECT_FALSE(ReadRecord("stopped"));
  ExpectNoTemporaryFiles();
}

TEST_F(ReportSendingTest, AFailureIsRetriedWhileAHandlerAsksThenRecorded) {
  TRefusingPort refusing;
  UploadTo("/upload/never", refusing.Port());
  retries = 2;
  EXPECT_FALSE(TReportSending(request, options).Run());
  EXPECT_EQ(failures, 3) << "the first attempt and two more";
  EXPECT_EQ(actions, (std::vector<int>{acBeforeWeb, acAfterWeb}));
  const TDeliveryError error = LastDeliveryError();
  EXPECT_EQ(error.Code, eeWebHTTPError);
  EXPECT_TRUE(error.Message.starts_with("HTTP error code: 120")) << error.Message;
  ExpectNoTemporaryFiles();
}

TEST_F(ReportSendingTest, AnUnreadableAddressIsAnInvalidUrlError) {
  options.SetWebDelivery(wdHTTPS);
  options.SetWebAddress("https://bad host/");
  EXPECT_FALSE(TReportSending(request, options).Run());
  EXPECT_EQ(LastDeliveryError().Code, eeWebHTTPSError);
  EXPECT_EQ(LastDeliveryError().Message, "HTTPS error code: 12005 (The URL is invalid.)");
}

TEST_F(ReportSendingTest, ATrackerThatCannotBeReachedFailsAtItsLogin) {
  TRefusingPort refusing;
  options.SetWebDelivery(wdMantis);
  options.SetWebAddress("http://127.0.0.1:" + std::to_string(refusing.Port()) + "/mantis/");
  EXPECT_FALSE(TReportSending(request, options).Run());
  const TDeliveryError error = LastDeliveryError();
  EXPECT_EQ(error.Code, eeWebTrakerError);
  EXPECT_EQ(error.Message, options.Text(mtInvalidLogin) + "\r\n\r\nError Code: 0\r\nError Message: \"" +
                               WinInetErrorText(12029) + "\"");
  ExpectNoTemporaryFiles();
}

TEST_F(ReportSendingTest, AFailedSendKeepsTheArchiveBesideTheLogAndPrunesOnlyItsOwn) {
  TRefusingPort refusing;
  UploadTo("/upload/never", refusing.Port());
  options.SetSendFlags(sfTagFilesWithDate);
  options.SetBehaviourFlags(bfSaveArchiveOnFailure);
  for (int day = 1; day <= 10; ++day) logs.Write("BugReport__202612" + std::string(day < 10 ? "0" : "") +
                                                     std::to_string(day) + "080000.zip", "old");
  logs.Write("holiday.zip", "mine");
  logs.Write("BugReport__20261211120000.zip", "kept before under the same name");
  options.SetArchivePassword("zip s3cret");

  EXPECT_FALSE(TReportSending(request, options).Run());

  const std::string kept = logs.Path("BugReport__20261211120000.zip");
  EXPECT_EQ(ZipEntries(kept), (std::map<std::string, std::string>{{"Calc.elf", kEncrypted}}));
  EXPECT_FALSE(std::filesystem::exists(logs.Path("BugReport__20261201080000.zip"))) << "the oldest goes";
  EXPECT_TRUE(std::filesystem::exists(logs.Path("BugReport__20261202080000.zip")));
  EXPECT_TRUE(std::filesystem::exists(logs.Path("holiday.zip"))) << "the user's own zip files stay";
  ExpectNoTemporaryFiles();
}

TEST_F(ReportSendingTest, AStepThatRaisesStillRemovesTheTemporaryFiles) {
  UploadTo("/upload/raised");
  options.SetSendFlags(sfIncludeXMLReport);
  events.ProcedureVariables().OnAttachedFilesRequest = [](TExceptionInfo&, TStrings&) {};
  int calls = 0;
  // The second event call (the before-web event, after the archive is packed) fails in the route itself.
  events.SetRunner([&](const std::function<void()>& call) {
    if (++calls == 2) throw rtl::Exception("The event route failed.");
    call();
  });
  EXPECT_THROW(TReportSending(request, options).Run(), rtl::Exception);
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(ReadRecord("raised"));
  ExpectNoTemporaryFiles();
}

}  // namespace
}  // namespace tarvex

namespace tarvex {
namespace {

TEST(ReportSender, BackgroundSendsRunOneAtATimeAndEachEndsItsHandling) {
  TTempFolder logs;
  TEventRoute events;
  std::mutex seenLock;
  std::vector<std::string> seenTexts;
  // Each send's own report file, read while its archive is being made: two
  // sends at once would share the temporary files.
  events.ProcedureVariables().OnAttachedFilesRequest = [&](TExceptionInfo&, TStrings& files) {
    const std::string text = FileBytes(files.at(0));
    Sleep(200);  // widen the window in which a second send would overwrite the file
    std::lock_guard<std::mutex> hold(seenLock);
    seenTexts.push_back(text + "|" + FileBytes(files.at(0)));
  };
  TReportSender sender;
  std::atomic<int> finished{0};
  TTarvexModuleOptions options;
  options.SetLogFilePath(logs.Path("Calc.elf"));
  options.SetWebDelivery(wdHTTP);
  for (const char* name : {"first", "second"}) {
    options.SetWebAddress("http://127.0.0.1:" + std::to_string(PeerPort("VX_HTTP_PORT")) + "/upload/" + name);
    TDeliveryRequest request;
    request.Options = &options;  // copied: the next request changes them
    request.ReportText = name;
    request.Events = &events;
    request.DialogsAllowed = false;
    request.InBackground = true;
    request.Finished = [&finished] { ++finished; };
    sender.Deliver(std::move(request));
  }
  sender.WaitForBackground();

  EXPECT_EQ(finished, 2);
  EXPECT_TRUE(ReadRecord("first"));
  EXPECT_TRUE(ReadRecord("second"));
  ASSERT_EQ(seenTexts.size(), 2u);
  for (const std::string& seen : seenTexts) {
    const std::string before = seen.substr(0, seen.find('|')), after = seen.substr(seen.find('|') + 1);
    EXPECT_EQ(before, after) << "another send changed the report file meanwhile";
  }
}

}  // namespace
}  // namespace tarvex
