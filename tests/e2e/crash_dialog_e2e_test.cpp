// The crash reporter that the calculator carries, met as a user meets it: a
// Shape that is not a number brings up its dialog; the report lands in the
// log beside the program; the details link leads to the detailed dialog, whose
// size, place and column widths the next run of the program keeps; the
// restart box starts a new calculator and ends the old one with exit code 1.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"
#include "tests/e2e/calc_driver.h"
#include "tests/e2e/crash_dialog_steps.h"
#include "tests/e2e/pages.h"

namespace {

using e2e::CalcDriver;
using e2e::FailConversion;
using e2e::FollowDetailsLink;
using e2e::ShowPage;

const std::wstring kLogFile = e2e::ProgramFolder() + L"ZorvikCalc.elf";

std::string FileText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Presses OK in the detailed dialog and waits until the handling has saved the report.
// The rows as one text, a row a line, for a failure message.
std::string Joined(const std::vector<std::wstring>& rows) {
  std::string text;
  for (const std::wstring& row : rows) text += "\n  " + std::string(row.begin(), row.end());
  return text;
}

void CloseDetailedDialog(HWND detailed) {
  ASSERT_TRUE(e2e::CloseDetailedWithoutSending(detailed));
  // The handling ends after the log is saved; only then may the window close
  // (while it runs, the waiting main thread drops a quit message).
  ASSERT_TRUE(e2e::WaitUntil([] { return FileText(kLogFile).find("EConvertError") != std::string::npos; }));
}

// The reporter's settings file in the user's application data folder.
std::wstring SettingsFile() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\TarvexLog\\TarvexLog.ini";
}

void ForgetDetailedDialogGeometry() {
  WritePrivateProfileStringW(L"Coordinates", nullptr, nullptr, SettingsFile().c_str());
}

class CrashDialog : public testing::Test {
 protected:
  void SetUp() override { DeleteFileW(kLogFile.c_str()); }
  void TearDown() override { DeleteFileW(kLogFile.c_str()); }
};

TEST_F(CrashDialog, DontSendKeepsTheProgramAndTheReportIsInTheLog) {
  CalcDriver calc;
  HWND dialog = FailConversion(calc, L"12a");
  ASSERT_NE(dialog, nullptr);

  // An address without "@" is refused and the dialog stays; a valid one goes into the report.
  e2e::SetWindowTextTo(GetDlgItem(dialog, e2e::kCrashDialogEmail), L"nobody");
  PostMessageW(GetDlgItem(dialog, e2e::kCrashDialogDontSend), BM_CLICK, 0, 0);
  HWND refusal = calc.WaitForDialog(L"Error.");
  ASSERT_NE(refusal, nullptr) << "no message about the e-mail address";
  ASSERT_TRUE(e2e::PressDialogButton(refusal, IDOK));
  EXPECT_TRUE(IsWindow(dialog));
  e2e::SetWindowTextTo(GetDlgItem(dialog, e2e::kCrashDialogEmail), L"user@example.com");
  ASSERT_TRUE(e2e::PressDialogButton(dialog, e2e::kCrashDialogDontSend));

  ASSERT_TRUE(e2e::WaitUntil([] { return FileText(kLogFile).find("'12a' is not a valid integer value.") != std::string::npos; }))
      << FileText(kLogFile);
  const std::string log = FileText(kLogFile);
  EXPECT_NE(log.find("EConvertError"), std::string::npos);
  EXPECT_NE(log.find("ZorvikCalc.exe"), std::string::npos);
  const size_t email = log.find("  3.3 ");
  ASSERT_NE(email, std::string::npos);
  const std::string emailLine = log.substr(email, log.find("\r\n", email) - email);
  EXPECT_NE(emailLine.find(": user@example.com"), std::string::npos) << emailLine;
  EXPECT_EQ(calc.CloseAndWait(), 0u) << "the program went on after the report";
}

TEST_F(CrashDialog, TheDetailsLinkLeadsToTheDetailedDialog) {
  CalcDriver calc;
  HWND simple = FailConversion(calc, L"x");
  ASSERT_NE(simple, nullptr);
  HWND detailed = FollowDetailsLink(calc, simple);
  ASSERT_NE(detailed, nullptr) << "no detailed dialog";
  HWND tabs = GetDlgItem(detailed, VX_DETAILED_TABS);
  ASSERT_NE(tabs, nullptr);
  EXPECT_TRUE(IsWindowVisible(tabs)) << "the detailed dialog opens expanded after the link";

  // The Call Stack page names the raising code with its unit and line; the Modules page lists the program.
  const auto pageRows = [&](int tab, int columns) {
    HWND list = ShowPage(detailed, tab);
    return list ? calc.ListViewRows(list, columns) : std::vector<std::wstring>{};
  };
  const std::vector<std::wstring> stack = pageRows(1, 6);  // Address|Module|Unit|Class|Procedure|Line
  const auto convert = std::find_if(stack.begin(), stack.end(), [](const std::wstring& row) {
    return row.find(L"|Unit6.cpp|") != std::wstring::npos && row.find(L"Convert") != std::wstring::npos;
  });
  ASSERT_NE(convert, stack.end()) << "no row names TForm6::Convert in Unit6.cpp among " << Joined(stack);
  EXPECT_NE(convert->back(), L'|') << "the row has a line number: " << std::string(convert->begin(), convert->end());

  // Double-clicking that row tells a listening development environment where the code is.
  const HANDLE listener = CreateMailslotW((L"\\\\.\\mailslot\\TarvexLog" + std::to_wstring(GetCurrentProcessId())).c_str(),
                                          0, e2e::kWaitMs, nullptr);
  ASSERT_NE(listener, INVALID_HANDLE_VALUE);
  HWND stackList = FindWindowExW(FindWindowExW(tabs, nullptr, L"#32770", nullptr), nullptr, L"SysListView32", nullptr);
  const RECT row = calc.ListViewItemRect(stackList, static_cast<int>(convert - stack.begin()));
  PostMessageW(stackList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 40, (row.top + row.bottom) / 2));
  char record[376] = {};
  DWORD read = 0;
  const bool received = ReadFile(listener, record, sizeof record, &read, nullptr);
  CloseHandle(listener);
  ASSERT_TRUE(received) << "nothing reached the mailslot";
  ASSERT_EQ(read, sizeof record);
  const auto text = [&](size_t offset) { return std::string(record + offset); };
  const auto number = [&](size_t offset) {
    uint32_t value;
    memcpy(&value, record + offset, sizeof value);
    return value;
  };
  EXPECT_EQ(text(0), "ZorvikCalc.exe");
  EXPECT_EQ(text(90), "Unit6.cpp");
  EXPECT_NE(text(270).find("Convert"), std::string::npos) << text(270);
  EXPECT_GT(number(364), 0u) << "the line";
  EXPECT_EQ(number(372), calc.ProcessId());
  const std::vector<std::wstring> modules = pageRows(2, 2);
  EXPECT_TRUE(std::any_of(modules.begin(), modules.end(),
                          [](const std::wstring& row) { return row.find(L"ZorvikCalc.exe") != std::wstring::npos; }));
  CloseDetailedDialog(detailed);
  EXPECT_EQ(calc.CloseAndWait(), 0u);
}

TEST_F(CrashDialog, TheDetailedDialogKeepsItsPlaceAndColumnWidthsForTheNextRun) {
  ForgetDetailedDialogGeometry();
  constexpr RECT kMoved{40, 30, 40 + 700, 30 + 500};
  constexpr int kModifiedColumn = 5, kModifiedWidth = 133;  // Modules page: ...|Size|Modified|Path
  {
    CalcDriver calc;
    HWND simple = FailConversion(calc, L"x");
    ASSERT_NE(simple, nullptr);
    HWND detailed = FollowDetailsLink(calc, simple);
    ASSERT_NE(detailed, nullptr);
    SetWindowPos(detailed, nullptr, kMoved.left, kMoved.top, kMoved.right - kMoved.left, kMoved.bottom - kMoved.top,
                 SWP_NOZORDER);
    HWND modules = ShowPage(detailed, 2);
    ASSERT_NE(modules, nullptr);
    SendMessageW(modules, LVM_SETCOLUMNWIDTH, kModifiedColumn, kModifiedWidth);
    CloseDetailedDialog(detailed);
    EXPECT_EQ(calc.CloseAndWait(), 0u);
  }
  // The same report again would be a duplicate, which is not shown.
  DeleteFileW(kLogFile.c_str());
  CalcDriver calc;
  HWND simple = FailConversion(calc, L"x");
  ASSERT_NE(simple, nullptr);
  HWND detailed = FollowDetailsLink(calc, simple);
  ASSERT_NE(detailed, nullptr);
  RECT window{};
  GetWindowRect(detailed, &window);
  HWND modules = ShowPage(detailed, 2);
  ASSERT_NE(modules, nullptr);
  const auto width = SendMessageW(modules, LVM_GETCOLUMNWIDTH, kModifiedColumn, 0);
  CloseDetailedDialog(detailed);
  EXPECT_EQ(calc.CloseAndWait(), 0u);
  ForgetDetailedDialogGeometry();

  EXPECT_EQ(window.left, kMoved.left);
  EXPECT_EQ(window.top, kMoved.top);
  EXPECT_EQ(window.right, kMoved.right);
  EXPECT_EQ(window.bottom, kMoved.bottom);
  EXPECT_EQ(width, kModifiedWidth);
}

TEST_F(CrashDialog, RestartStartsANewCalculatorAndTheOldOneEndsWithOne) {
  CalcDriver calc;
  // The restart box is offered once more exceptions than TerminateButtonAfter (3) were handled.
  for (int round = 1; round <= 3; ++round) {
    HWND dialog = FailConversion(calc, L"abc");
    ASSERT_NE(dialog, nullptr) << round;
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, e2e::kCrashDialogRestartBox))) << round;
    ASSERT_TRUE(e2e::PressDialogButton(dialog, e2e::kCrashDialogDontSend)) << round;
  }
  HWND dialog = FailConversion(calc, L"abc");
  ASSERT_NE(dialog, nullptr);
  HWND restart = GetDlgItem(dialog, e2e::kCrashDialogRestartBox);
  ASSERT_TRUE(IsWindowVisible(restart));
  SendMessageW(restart, BM_SETCHECK, BST_CHECKED, 0);
  ASSERT_TRUE(e2e::PressDialogButton(dialog, e2e::kCrashDialogDontSend));

  EXPECT_EQ(calc.WaitForExit(), std::optional<DWORD>(1u));
  // The new calculator: the same program, with its main window.
  HWND again = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&again] { return (again = FindWindowW(nullptr, e2e::kTitle)) != nullptr; }));
  DWORD newProcess = 0;
  GetWindowThreadProcessId(again, &newProcess);
  EXPECT_NE(newProcess, calc.ProcessId());
  const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, newProcess);
  ASSERT_NE(process, nullptr);
  PostMessageW(again, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
  CloseHandle(process);
}

// A copy of the calculator with other options (tests/e2e/<name>/), its log
// removed before and after.
class CalculatorCopy {
 public:
  explicit CalculatorCopy(const wchar_t* name)
      : folder_(e2e::VariantFolder(name)), log_(folder_ + L"ZorvikCalc.elf") {
    DeleteFileW(log_.c_str());
  }
  ~CalculatorCopy() { DeleteFileW(log_.c_str()); }
  const std::wstring& Folder() const { return folder_; }
  std::string LogText() const { return FileText(log_); }

 private:
  std::wstring folder_, log_;
};

// A calculator whose crash dialog closes itself after 3 seconds: left alone,
// the dialog goes away, the report is saved as with Don't Send, and the
// program goes on.
TEST(CrashDialogAutoClose, LeftAloneTheDialogClosesItselfAndTheProgramGoesOn) {
  const CalculatorCopy copy(L"autoclose");
  CalcDriver calc(copy.Folder());
  HWND dialog = FailConversion(calc, L"7q");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); })) << "the dialog stayed";
  EXPECT_TRUE(e2e::WaitUntil([&] { return copy.LogText().find("'7q' is not a valid integer value.") != std::string::npos; }))
      << copy.LogText();
  EXPECT_TRUE(calc.OpenDialogs().empty()) << "another dialog followed";
  EXPECT_TRUE(IsWindow(calc.MainWindow()));
  EXPECT_EQ(calc.CloseAndWait(), 0u) << "the program was restarted or terminated";
}

// A calculator whose reports have neither module tables nor CPU sections:
// the detailed dialog has only General and Call Stack, and its configured
// first page (Modules) falls back to General.
TEST(CrashDialogWithoutSections, TheDetailedDialogShowsOnlyGeneralAndCallStack) {
  const CalculatorCopy copy(L"nosections");
  CalcDriver calc(copy.Folder());
  HWND simple = FailConversion(calc, L"q1");
  ASSERT_NE(simple, nullptr);
  HWND detailed = FollowDetailsLink(calc, simple);
  ASSERT_NE(detailed, nullptr);
  HWND tabs = GetDlgItem(detailed, VX_DETAILED_TABS);
  std::vector<std::wstring> captions;
  for (int i = 0, n = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)); i < n; ++i)
    captions.push_back(calc.TabCaption(tabs, i));
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"General", L"Call Stack"}));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
  ASSERT_TRUE(e2e::PressDialogButton(detailed, VX_DETAILED_OK));
  ASSERT_TRUE(e2e::WaitUntil([&] { return copy.LogText().find("EConvertError") != std::string::npos; }));
  EXPECT_EQ(calc.CloseAndWait(), 0u);
}

}  // namespace
