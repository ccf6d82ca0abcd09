// The calculator's report sent the way a user sends it: a Shape that is not
// a number, Send in the crash dialog, the result box; the program goes on.
// The copies of the calculator come from sent_reports.py, which also reads
// what arrived. With VX_PICTURES set, the failed send leaves pictures of the
// progress window and the boxes there for the documentation.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "crashreport/dialogs/simple/simple_dialog_layout.h"
#include "tests/e2e/calc_driver.h"
#include "tests/e2e/crash_dialog_steps.h"
#include "tests/e2e/window_picture.h"

namespace {

using namespace e2e;

std::wstring Environment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value != nullptr ? value : L"";
}

std::wstring CopyFolder(const wchar_t* name) { return Environment(L"VX_SEND_COPIES") + name + L"\\"; }

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The text of a message box: its static controls' texts, joined.
std::wstring BoxText(HWND box) {
  std::wstring text;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassName(child) == L"Static") text += WindowText(child);
  return text;
}

void Picture(HWND window, const wchar_t* name) {
  const std::wstring folder = Environment(L"VX_PICTURES");
  if (!folder.empty()) EXPECT_TRUE(SaveWindowPicture(window, folder + L"\\" + name + L".bmp")) << "picture";
}

// Fails the conversion in the calculator and presses Send in the crash dialog.
void SendTheReport(const CalcDriver& calc) {
  HWND dialog = FailConversion(calc, L"5x");
  ASSERT_NE(dialog, nullptr) << "no crash dialog";
  ASSERT_TRUE(PressDialogButton(dialog, tarvex::idSendButton));
}

// Waits for the delivery's result box, checks its text and closes it.
void ExpectResult(const CalcDriver& calc, const wchar_t* text, const wchar_t* picture = nullptr) {
  HWND result = calc.WaitForDialog(L"Information.");
  ASSERT_NE(result, nullptr) << "no result box";
  EXPECT_EQ(BoxText(result), text);
  if (picture != nullptr) Picture(result, picture);
  EXPECT_TRUE(PressDialogButton(result, IDOK));
}

TEST(SendReport, BySmtpTheMailArrivesAndTheProgramGoesOn) {
  CalcDriver calc(CopyFolder(L"smtp"));
  SendTheReport(calc);
  ExpectResult(calc, L"The message was sent successfully.");
  EXPECT_TRUE(FileExists(Environment(L"VX_SMTP_SPOOL") + L"\\message1.txt")) << "no mail arrived";
  EXPECT_TRUE(IsWindow(calc.MainWindow()));
  EXPECT_EQ(calc.CloseAndWait(), 0u);
}

TEST(SendReport, ByHttpTheUploadArrivesAndTheProgramGoesOn) {
  CalcDriver calc(CopyFolder(L"http"));
  SendTheReport(calc);
  ExpectResult(calc, L"The message was sent successfully.");
  std::wstring records = Environment(L"VX_RECORDS");
  for (wchar_t& c : records)
    if (c == L'/') c = L'\\';
  EXPECT_TRUE(FileExists(L"Z:" + records + L"\\calculator.body")) << "no upload arrived";
  EXPECT_EQ(calc.CloseAndWait(), 0u);
}

// Nothing listens at the mail server's port: the error shows over the
// progress window, then the result tells the user; the program goes on.
TEST(SendReport, AFailedSendTellsTheUserAndTheProgramGoesOn) {
  CalcDriver calc(CopyFolder(L"smtp-refused"));
  SendTheReport(calc);
  HWND error = calc.WaitForDialog(L"Error.");
  ASSERT_NE(error, nullptr) << "no error box";
  EXPECT_EQ(BoxText(error).rfind(L"[SMTP] ", 0), 0u) << BoxText(error);
  HWND progress = calc.WaitForDialog(L"Send.");
  ASSERT_NE(progress, nullptr) << "the progress window closed before the error was shown";
  if (!Environment(L"VX_PICTURES").empty()) {
    // Both are centred: the box moves aside for the progress window's picture.
    RECT box{};
    GetWindowRect(error, &box);
    SetWindowPos(error, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Picture(progress, L"send-progress");
    SetWindowPos(error, nullptr, box.left, box.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Picture(error, L"send-error");
  }
  ASSERT_TRUE(PressDialogButton(error, IDOK));
  ExpectResult(calc, L"Sorry, sending the message didn't work.", L"send-result");
  EXPECT_TRUE(IsWindow(calc.MainWindow()));
  EXPECT_EQ(calc.CloseAndWait(), 0u);
}

}  // namespace
