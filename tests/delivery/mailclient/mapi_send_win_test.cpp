// Simple MAPI through a recording provider (mapi_recorder_dll.cpp) that the
// tests register as the current user's mail client, and once through Wine's
// own provider.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crashreport/delivery/mailclient/mail_client_win.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "tests/delivery/mailclient/mail_client_test_support_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/scratch_path.h"

namespace {

using namespace tarvex;
using tarvex::testing::CurrentDirectory;
using tarvex::testing::RecordedLines;
using tarvex::testing::TestRegistryKey;
using tarvex::testsupport::ScratchPath;

const HWND kParent = reinterpret_cast<HWND>(0x1234);  // recorded as 4660; the provider only passes it on

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of("/\\")); }
std::string FileName(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

class MapiSend : public ::testing::Test {
 protected:
  void SetUp() override { StartRecord(); }

  // An empty record, no script (the provider sends), no last error.
  void StartRecord() {
    std::filesystem::remove(record_);
    SetEnvironmentVariableA("VX_MAPI_RECORD", record_.c_str());
    SetEnvironmentVariableA("VX_MAPI_SCRIPT", nullptr);
    ClearDeliveryError(0);
  }

  // The recorder as the user's mail client; its path goes through the macros.
  void RegisterRecorder() {
    SetEnvironmentVariableA("VX_MAPI_RECORDER_DIR", Folder(MAPI_RECORDER_DLL).c_str());
    RegisterClient("%VX_MAPI_RECORDER_DIR%\\" + FileName(MAPI_RECORDER_DLL));
  }
  void RegisterClient(const std::string& libraryPath) {
    clients_.Set("", "", "Vx Recorder");
    clients_.Set("Vx Recorder", "DLLPath", libraryPath);
  }

  std::vector<std::string> Recorded() const { return RecordedLines(record_); }

  const std::string record_ = ScratchPath("mapi_record.txt").string();
  const TestRegistryKey clients_{"SOFTWARE\\Clients\\Mail"};
};

TEST_F(MapiSend, HandsOverEveryRecipientAndExistingFileAndKeepsTheDirectory) {
  RegisterRecorder();
  const std::string archive = ScratchPath("BugReport.zip").string();
  const std::string screenshot = ScratchPath("Screenshot.png").string();
  std::ofstream(archive) << "zip";
  std::ofstream(screenshot) << "png";
  // The screenshot is named relative to the current directory: the client gets its full path.
  ASSERT_TRUE(SetCurrentDirectoryA(Folder(screenshot).c_str()));
  const std::string directory = CurrentDirectory();

  TClientMail mail;
  mail.Recipients = " first@zorvik.test; second@zorvik.test,";
  mail.Subject = "Access violation\r\nin \xbc\xc6\xcb\xe3";
  mail.Body = "Steps:\r\n1. convert";
  mail.Files = {{archive, "BugReport__PC.zip"},
                {FileName(screenshot), "Screenshot.png"},
                {ScratchPath("missing.xml").string(), "missing.xml"},
                {"", "empty"}};
  mail.Parent = kParent;
  bool cancelled = true;

  EXPECT_TRUE(SendByMAPI(mail, &cancelled));
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(CurrentDirectory(), directory);  // the recorder moved it to C:\ while sending
  EXPECT_EQ(LastDeliveryError().Code, eeNone);
  const std::vector<std::string> expected = {
      "logon parent=4660 profile=(null) password=(null) flags=1 reserved=0",
      "send session=24149 parent=4660 flags=1 reserved=0",
      "subject=Access violation in \xbc\xc6\xcb\xe3",
      "note=Steps:\\x0D\\x0A1. convert",
      "type=(null) date=(null) conversation=(null) flags=0 originator=(null)",
      "recipient class=1 name=first@zorvik.test address=SMTP:first@zorvik.test entry=0",
      "recipient class=1 name=second@zorvik.test address=SMTP:second@zorvik.test entry=0",
      "file path=" + archive + " name=BugReport__PC.zip position=4294967295 flags=0 type=(null)",
      "file path=" + screenshot + " name=Screenshot.png position=4294967295 flags=0 type=(null)",
      "logoff session=24149 parent=4660 flags=0 reserved=0",
  };
  EXPECT_EQ(Recorded(), expected);
  std::filesystem::remove(archive);
  std::filesystem::remove(screenshot);
}

TEST_F(MapiSend, TheProvidersAnswerDecidesTheResult) {
  struct Case {
    const char* script;
    bool showDialog;
    bool sent, cancelled;
    TTarvexLogErrorCode code;
    const char* message;
    std::vector<std::string> calls;  // the first word of each recorded call
    const char* sendFlags;
  };
  const Case cases[] = {
      {"sent", true, true, false, eeNone, "", {"logon", "send", "logoff"}, "flags=9"},
      // The user closed the compose window: not sent, yet no failure to fall back from.
      {"cancelled", true, false, true, eeNone, "", {"logon", "send", "logoff"}, "flags=9"},
      {"send-failure", false, false, false, eeEmailMAPIError, "Cannot send the MAPI message.",
       {"logon", "send", "logoff"}, "flags=1"},
      {"logon-failure", false, false, false, eeEmailMAPIError, "Cannot LogOn into the MAPI service.", {"logon"}, ""},
  };
  RegisterRecorder();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    StartRecord();
    SetEnvironmentVariableA("VX_MAPI_SCRIPT", c.script);
    const std::string directory = CurrentDirectory();
    TClientMail mail;
    mail.Recipients = "support@zorvik.test";
    mail.ShowDialog = c.showDialog;
    bool cancelled = !c.cancelled;

    EXPECT_EQ(SendByMAPI(mail, &cancelled), c.sent);
    EXPECT_EQ(cancelled, c.cancelled);
    EXPECT_EQ(LastDeliveryError().Code, c.code);
    EXPECT_EQ(LastDeliveryError().Message, c.message);
    EXPECT_EQ(CurrentDirectory(), directory);
    std::vector<std::string> calls;
    for (const std::string& line : Recorded()) {
      const std::string word = line.substr(0, line.find(' '));
      if (word == "logon" || word == "send" || word == "logoff") calls.push_back(word);
      if (word == "send") {
        EXPECT_NE(line.find(std::string(" ") + c.sendFlags + " "), std::string::npos) << line;
      }
    }
    EXPECT_EQ(calls, c.calls);
  }
}

TEST_F(MapiSend, ALibraryWithoutTheFunctionsIsNotCalled) {
  RegisterClient("kernel32.dll");
  TClientMail mail;
  mail.Recipients = "support@zorvik.test";

  EXPECT_FALSE(SendByMAPI(mail));
  EXPECT_EQ(LastDeliveryError().Code, eeEmailMAPIError);
  EXPECT_EQ(LastDeliveryError().Message, "Cannot found the MAPI functions.");
}

// Wine's "mapi32.dll" takes over when the registered library does not load.
// Its provider starts winebrowser with a mailto: URL and returns at once;
// winebrowser is given a mail program that does not exist, so nothing
// outside Wine is opened.
TEST_F(MapiSend, ALibraryThatDoesNotLoadGivesWayToMapi32) {
  RegisterClient("Z:\\no\\such\\client.dll");
  const TestRegistryKey browser{"Software\\Wine\\WineBrowser"};
  browser.Set("", "Mailers", "vx-no-such-mailer");
  const std::string directory = CurrentDirectory();
  TClientMail mail;
  mail.Recipients = "support@zorvik.test";
  mail.Subject = "Crash";

  EXPECT_TRUE(SendByMAPI(mail));
  EXPECT_EQ(CurrentDirectory(), directory);
  EXPECT_EQ(LastDeliveryError().Code, eeNone);
}

TEST_F(MapiSend, NoLibraryThatLoadsIsTheOpenError) {
  RegisterClient("Z:\\no\\such\\client.dll");
  // Wine hides its own "mapi32.dll" from the probe program.
  const TestRegistryKey hidden{"Software\\Wine\\AppDefaults\\" + FileName(MAPI_SEND_PROBE_EXE)};
  hidden.Set("DllOverrides", "mapi32", "");

  const tarvex::testing::ChildRun probe = tarvex::testing::RunChild(MAPI_SEND_PROBE_EXE, "support@zorvik.test");
  ASSERT_TRUE(probe.finished);
  EXPECT_EQ(tarvex::testing::LinesStartingWith(probe.output, "result="),
            std::vector<std::string>{"0 cancelled=0 code=eeEmailMAPIError message=Cannot open the MAPI dll."});
}

}  // namespace
