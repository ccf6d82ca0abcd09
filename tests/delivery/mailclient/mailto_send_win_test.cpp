// The mailto: hand-off to a recording program (mailto_recorder.cpp) that the
// tests register as the current user's "mailto" open command: the command
// line it gets, how it is shown, and that its window is made top-most.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "crashreport/base/util/system_error_text_win.h"
#include "crashreport/delivery/mailclient/mail_client_win.h"
#include "crashreport/delivery/outcome/delivery_error.h"
#include "tests/delivery/mailclient/mail_client_test_support_win.h"
#include "tests/support/scratch_path.h"

namespace {

using namespace tarvex;
using tarvex::testing::RecordedLines;
using tarvex::testing::TestRegistryKey;
using tarvex::testsupport::ScratchPath;

class MailtoSend : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(record_);
    SetEnvironmentVariableA("VX_MAILTO_RECORD", record_.c_str());  // the recorder inherits it
    ClearDeliveryError(0);
  }

  // HKEY_CLASSES_ROOT shows the current user's classes before the machine's.
  void RegisterCommand(const std::string& commandTemplate) { command_.Set("", "", commandTemplate); }

  const std::string record_ = ScratchPath("mailto_record.txt").string();
  const TestRegistryKey command_{"Software\\Classes\\mailto\\shell\\open\\command"};
};

TEST_F(MailtoSend, TheClientGetsTheEscapedUrlMaximisedAndIsMadeTopMost) {
  // The template's macro is expanded before "%1" is replaced.
  SetEnvironmentVariableA("VX_MAILTO_RECORDER", MAILTO_RECORDER_EXE);
  RegisterCommand("\"%VX_MAILTO_RECORDER%\" /compose \"%1\"");
  TClientMail mail;
  mail.Recipients = "support@zorvik.test; evil@zorvik.test\r\nBcc: all@zorvik.test";
  mail.Subject = "\xbc\xc6\xcb\xe3 failed & stopped?";
  mail.Body = "100% sure:\r\nsteps";
  mail.ReportText = "TarvexLog 6.1.01 RC 1";
  mail.Files = {{"C:\\BugReport.zip", "BugReport.zip"}};  // a mailto: URL carries no files

  EXPECT_TRUE(SendByMailto(mail));
  EXPECT_EQ(LastDeliveryError().Code, eeNone);
  const std::vector<std::string> expected = {
      std::string("command=\"") + MAILTO_RECORDER_EXE +
          "\" /compose \"mailto:support@zorvik.test,evil@zorvik.test%0D%0ABcc%3A%20all@zorvik.test"
          "?Subject=\xbc\xc6\xcb\xe3%20failed%20%26%20stopped%3F"
          "&Body=100%25%20sure%3A%0D%0Asteps%0D%0A%0D%0A%0D%0ATarvexLog%206%2E1%2E01%20RC%201\"",
      "show=3",  // SW_SHOWMAXIMIZED
      "topmost",
  };
  EXPECT_EQ(RecordedLines(record_), expected);
}

TEST_F(MailtoSend, ACommandThatCannotStartIsAShellErrorWithTheSystemsWords) {
  const std::string missing = std::string(MAILTO_RECORDER_EXE) + ".missing.exe";
  RegisterCommand("\"" + missing + "\" \"%1\"");
  TClientMail mail;
  mail.Recipients = "support@zorvik.test";

  EXPECT_FALSE(SendByMailto(mail));
  EXPECT_EQ(LastDeliveryError().Code, eeEmailShellError);
  EXPECT_EQ(LastDeliveryError().Message, SystemErrorText(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(record_));
}

}  // namespace
