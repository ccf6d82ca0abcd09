// The real exception dialogs under Wine, driven from the test's thread while
// they run modally on a thread of their own.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "crashreport/base/options/options.h"
#include "crashreport/base/options/option_types.h"
#include "crashreport/dialogs/exception_dialogs/exception_dialogs_win.h"
#include "crashreport/dialogs/settings/settings_file_win.h"
#include "crashreport/dialogs/simple/simple_dialog_layout.h"
#include "tests/dialogs/dialog_driver_win.h"

namespace tarvex {
namespace {

using namespace dialogs_test;

const char* const kReportText =
    "TarvexLog 6.1.01 RC 1\r\n\r\n"
    "3. User\r\n"
    "  3.1 ID       : tester\r\n"
    "  3.3 Email    : \r\n"
    "\r\n"
    "Call Stack\r\n";

// Fixed options and report for one showing; the detailed dialog is recorded.
struct Showing {
  TTarvexModuleOptions options;
  BugReport report;
  TDialogSession session;
  int detailedRuns = 0;

  explicit Showing(TTarvexDialogKind kind = dkSimple) {
    const std::string text = kReportText;
    const size_t tail = text.find("Call Stack");
    report = BugReport(text.substr(0, tail), text.substr(tail));
    session.Options = &options;
    session.Report = &report;
    session.ShownMessage = "'abc' is not a valid integer value.";
    session.Kind = kind;
    session.ExceptionCount = 1;
  }
  void OfferSending() {
    options.SetMailDelivery(mdSMTPRelay);
    session.Send = true;  // the handling presets it when a delivery is configured
  }
  // ShowExceptionDialog as the handling calls it: again, without beep, while the kind copy asks.
  void ShowAsTheHandlingDoes() {
    TWindowsExceptionDialogs dialogs(WindowsDialogRunners([this](TDialogSession& s) {
      ++detailedRuns;
      s.Shown = true;
      s.Kind = dkNone;
    }));
    dialogs.ShowExceptionDialog(session);
    while (session.Kind != dkNone) {
      session.Beep = false;
      session.Repeated = true;
      dialogs.ShowExceptionDialog(session);
    }
  }
};

// Waits for the message box, checks its text and presses OK.
void AnswerMessageBox(const char* caption, const char* text) {
  HWND box = WaitForDialog(caption);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), text);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(box));
}

void ForgetStoredEmail() { TSettingsFile().WriteString("User", "Email", ""); }

TEST(SimpleDialog, WithoutDeliveryOnlyOkWhichSendsNothing) {
  Showing s;
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  HWND dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(ItemVisible(dialog, idSendButton));
  EXPECT_EQ(ItemText(dialog, idDontSendButton), "&OK");
  EXPECT_EQ(ItemText(dialog, idMessage), "'abc' is not a valid integer value.");
  EXPECT_EQ(ItemText(dialog, idHeadline), s.options.Text(mtEncounteredProblem));
  EXPECT_FALSE(ItemVisible(dialog, idRestartBox));
  EXPECT_FALSE(ItemVisible(dialog, idEmailBox));
  Click(dialog, idDontSendButton);
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(s.session.Shown);
  EXPECT_FALSE(s.session.Send);
  EXPECT_FALSE(s.session.Cancelled);
  EXPECT_FALSE(s.session.TerminateRequested);
  EXPECT_EQ(s.session.Kind, dkNone);
  EXPECT_EQ(s.detailedRuns, 0);
}

TEST(SimpleDialog, SendAndDontSendDecide) {
  for (const bool send : {true, false}) {
    Showing s;
    s.OfferSending();
    DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
    HWND dialog = WaitForDialog("Error occurred");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, idSendButton), "&Send Error Report");
    EXPECT_EQ(ItemText(dialog, idDontSendButton), "&Don't Send");
    EXPECT_TRUE(ItemVisible(dialog, idEmailBox));
    Click(dialog, send ? idSendButton : idDontSendButton);
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(s.session.Send, send);
    EXPECT_FALSE(s.session.Cancelled);
  }
}

TEST(SimpleDialog, EmailWithoutAtIsRejectedAndTheDialogStaysValidOneLandsInReportAndSettings) {
  ForgetStoredEmail();
  Showing s;
  s.OfferSending();
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  HWND dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);

  TypeInto(dialog, idEmailBox, "nobody.example.com");
  Click(dialog, idSendButton);
  AnswerMessageBox("Error.", "Invalid email.");
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(s.session.UserEmail.empty());

  TypeInto(dialog, idEmailBox, "  user@example.com ");
  Click(dialog, idSendButton);
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(s.session.Send);
  EXPECT_EQ(s.session.UserEmail, "user@example.com");
  EXPECT_NE(s.report.Text().find("  3.3 Email    : user@example.com\r\n"), std::string::npos);
  EXPECT_NE(s.report.GeneralPart().find("  3.3 Email    : user@example.com\r\n"), std::string::npos);
  EXPECT_EQ(TSettingsFile().ReadString("User", "Email"), "user@example.com");

  // The next dialog starts with the stored address.
  Showing next;
  next.OfferSending();
  DialogThread again([&] { next.ShowAsTheHandlingDoes(); });
  dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ItemText(dialog, idEmailBox), "user@example.com");
  Click(dialog, idDontSendButton);
  ASSERT_TRUE(again.Join());
}

TEST(SimpleDialog, RestartBoxFromTheConfiguredCountOnSetsTheRequest) {
  const struct {
    TTarvexTerminateAction action;
    int exceptionCount;
    const char* text;  // nullptr: hidden
  } cases[] = {
      {taRestart, 3, nullptr},
      {taRestart, 4, "Restart application."},
      {taTerminate, 4, "Terminate application."},
  };
  for (const auto& c : cases) {
    Showing s;
    s.options.SetTerminateAction(c.action);
    s.session.ExceptionCount = c.exceptionCount;
    s.session.ConfirmTerminate = [] { return true; };
    DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
    HWND dialog = WaitForDialog("Error occurred");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemVisible(dialog, idRestartBox), c.text != nullptr) << c.exceptionCount;
    if (c.text) {
      EXPECT_EQ(ItemText(dialog, idRestartBox), c.text);
      SendMessageA(GetDlgItem(dialog, idRestartBox), BM_SETCHECK, BST_CHECKED, 0);
    }
    Click(dialog, idDontSendButton);
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(s.session.TerminateRequested, c.text != nullptr);
  }
}

TEST(SimpleDialog, EscapeCancelsAndNeverRestarts) {
  Showing s;
  s.OfferSending();
  s.session.ExceptionCount = 10;
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  HWND dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);
  SendMessageA(GetDlgItem(dialog, idRestartBox), BM_SETCHECK, BST_CHECKED, 0);
  TypeInto(dialog, idReproduceBox, "ignored");
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(s.session.Cancelled);
  EXPECT_FALSE(s.session.Send);
  EXPECT_FALSE(s.session.TerminateRequested);
}

TEST(SimpleDialog, ReproduceTextGoesIntoTheOptionsTrimmed) {
  Showing s;
  s.options.SetLogFlags(s.options.LogFlags() | lfAskReproduceSteps);
  s.options.SetReproductionSteps("before");
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  HWND dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ItemText(dialog, idReproduceBox), "before");
  TypeInto(dialog, idReproduceBox, "  typed 12 into the Shape box\r\n");
  Click(dialog, idDontSendButton);
  ASSERT_TRUE(run.Join());
  EXPECT_EQ(s.options.ReproductionSteps(), "typed 12 into the Shape box");
}

TEST(SimpleDialog, DetailsLinkSwitchesToTheDetailedDialog) {
  Showing s;
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  HWND dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ItemVisible(dialog, idDetailsLead));
  // The link starts 8 pixels right of the lead-in's text, on the same line.
  const RECT lead = ItemRect(dialog, idDetailsLead);
  PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(lead.right + 8 + 4, lead.top + 4));
  ASSERT_TRUE(run.Join());
  EXPECT_EQ(s.detailedRuns, 1);
  EXPECT_TRUE(s.session.Repeated);
  EXPECT_EQ(s.session.Kind, dkNone);
}

TEST(SimpleDialog, AutoCloseChangesNoDecision) {
  Showing s;
  s.OfferSending();
  s.options.SetDialogAutoCloseSeconds(1);
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  HWND dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitUntilGone(dialog));  // nobody touches it
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(s.session.Send);
  EXPECT_FALSE(s.session.Cancelled);
  EXPECT_FALSE(s.session.TerminateRequested);
  EXPECT_EQ(s.session.Kind, dkNone);
}

TEST(SimpleDialog, MouseMovesKeepAnAutoClosingDialogOpen) {
  Showing s;
  s.options.SetDialogAutoCloseSeconds(2);
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  HWND dialog = WaitForDialog("Error occurred");
  ASSERT_NE(dialog, nullptr);
  // Moves every 100 ms for 3 seconds: the count never reaches 2.
  for (int i = 0; i < 30; ++i) {
    PostMessageA(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(20, 60));
    Sleep(100);
  }
  EXPECT_TRUE(IsWindow(dialog));
  ASSERT_TRUE(WaitUntilGone(dialog));  // then it closes by itself
  ASSERT_TRUE(run.Join());
}

TEST(MessageBoxKind, ShowsTheMessageUnderTextThreeAndCountsAsShown) {
  Showing s(dkMessageBox);
  DialogThread run([&] { s.ShowAsTheHandlingDoes(); });
  AnswerMessageBox("Error occurred", "'abc' is not a valid integer value.");
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(s.session.Shown);
  EXPECT_FALSE(s.session.Failed);
  EXPECT_EQ(s.session.Kind, dkNone);
}

TEST(DialogFailure, ADialogThatCannotBeShownGivesTheMessageBoxAndTheFailureFlag) {
  Showing s(dkDetailed);
  TWindowsExceptionDialogs dialogs(WindowsDialogRunners([](TDialogSession&) { throw std::runtime_error("no window"); }));
  DialogThread run([&] { dialogs.ShowExceptionDialog(s.session); });
  AnswerMessageBox("Error occurred", "'abc' is not a valid integer value.");  // in the dialog's place
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(s.session.Failed);
  EXPECT_FALSE(s.session.Shown);
  EXPECT_EQ(s.session.Kind, dkNone);
}

}  // namespace
}  // namespace tarvex
