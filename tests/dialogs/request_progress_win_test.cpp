// The request dialog and the send-progress dialog under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "crashreport/base/options/options.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "crashreport/dialogs/request/request_dialog_win.h"
#include "crashreport/dialogs/request/request_layout.h"
#include "tests/dialogs/dialog_driver_win.h"

namespace tarvex {
namespace {

using namespace dialogs_test;

TEST(RequestDialog, OkAndEscapeBothKeepTheTrimmedAnswer) {
  for (const UINT command : {WM_COMMAND, WM_CLOSE}) {
    TTarvexModuleOptions options;
    options.SetLogFlags(options.LogFlags() | lfAskReproduceSteps);
    options.SetReproductionSteps("earlier text");
    bool shown = false;
    DialogThread run([&] { shown = ShowRequestDialog(options); });
    HWND dialog = WaitForDialog("Request");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, idRequestQuestion), "Please describe the steps to reproduce the error:");
    EXPECT_EQ(ItemText(dialog, idRequestOk), "&OK");
    EXPECT_EQ(ItemText(dialog, idRequestAnswer), "earlier text");
    TypeInto(dialog, idRequestAnswer, "\r\n 1. open the weapons page\r\n2. press convert  ");
    if (command == WM_COMMAND) {
      Click(dialog, idRequestOk);
    } else {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // Escape
    }
    ASSERT_TRUE(run.Join());
    EXPECT_TRUE(shown);
    EXPECT_EQ(options.ReproductionSteps(), "1. open the weapons page\r\n2. press convert");
  }
}

TEST(RequestDialog, NotShownWithoutTheOption) {
  TTarvexModuleOptions options;  // AskReproduceSteps off by default
  EXPECT_FALSE(ShowRequestDialog(options));
}

TEST(RequestDialog, LongQuestionMakesTheWindowTaller) {
  TTarvexModuleOptions options;
  options.SetLogFlags(options.LogFlags() | lfAskReproduceSteps);
  int heights[2] = {};
  for (int i = 0; i < 2; ++i) {
    if (i == 1)
      options.SetText(mtDescribeSteps,
                      "Please describe, step by step and as exactly as you can, what you did before the "
                      "error appeared, which page was open and what you had typed into its boxes:");
    DialogThread run([&] { ShowRequestDialog(options); });
    HWND dialog = WaitForDialog("Request");
    ASSERT_NE(dialog, nullptr);
    RECT window{};
    GetWindowRect(dialog, &window);
    heights[i] = window.bottom - window.top;
    const RECT question = ItemRect(dialog, idRequestQuestion), answer = ItemRect(dialog, idRequestAnswer);
    EXPECT_EQ(answer.top, question.bottom + 4);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(run.Join());
  }
  EXPECT_GT(heights[1], heights[0]);
}

int BarPosition() { return static_cast<int>(SendDlgItemMessageA(ProgressWindow(), 101, PBM_GETPOS, 0, 0)); }
std::string StatusText() { return ItemText(ProgressWindow(), 100); }

TTarvexModuleOptions& WebDeliveryOptions() {
  static TTarvexModuleOptions options;
  options.SetWebDelivery(wdHTTP);
  return options;
}

TEST(SendProgress, OnItsOwnThreadNeverBackwardsAndNumberedStatus) {
  for (const bool topMost : {true, false}) {
    OpenProgress({&WebDeliveryOptions(), true, false}, topMost);
    HWND window = ProgressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window), "Send.");
    EXPECT_TRUE(WaitUntil([] { return ProgressPainted(); }));

    SetProgress(40);
    SetProgress(30);
    EXPECT_EQ(BarPosition(), 40);
    AddProgress(15);
    EXPECT_EQ(BarPosition(), 55);

    SetMessageNumber(2, 3);
    ShowStatus("Connecting with server...");
    EXPECT_EQ(StatusText(), "Message 2/3: Connecting with server...");
    ShowStatusPlain("Disconnected.");
    EXPECT_EQ(StatusText(), "Disconnected.");

    CloseProgress();
    EXPECT_TRUE(WaitUntilGone(window));
    EXPECT_EQ(ProgressWindow(), window);  // stays named until the next request
  }
}

TEST(SendProgress, InlineOnTheCallingThread) {
  OpenProgress({&WebDeliveryOptions(), true, true}, true);
  HWND window = ProgressWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
  SetProgress(70);
  SetProgress(10);
  EXPECT_EQ(BarPosition(), 70);
  ShowStatusPlain("Sending message...");
  EXPECT_EQ(StatusText(), "Sending message...");
  CloseProgress();
  EXPECT_FALSE(IsWindow(window));
}

TEST(SendProgress, NoDialogWhenNotWantedAndTheOperationsDoNothing) {
  TTarvexModuleOptions noDelivery;
  for (const TProgressRequest& request : {TProgressRequest{&noDelivery, true, false},
                                          TProgressRequest{&WebDeliveryOptions(), false, false}}) {
    OpenProgress(request, true);
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_TRUE(ProgressPainted());
    SetProgress(50);
    ShowStatus("x");
    CloseProgress();
  }
}

}  // namespace
}  // namespace tarvex
