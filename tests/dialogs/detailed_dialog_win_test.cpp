// The real detailed dialog under Wine, shown for a composed report of a
// fixed crash and driven from another thread as its user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "crashreport/report/composer/bug_report.h"
#include "crashreport/dialogs/detailed/detailed_dialog.h"
#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"
#include "crashreport/dialogs/detailed/dialog_geometry.h"
#include "crashreport/dialogs/settings/settings_file_win.h"
#include "tests/report/composer/report_fixture.h"
#include "tests/dialogs/dialog_driver_win.h"

namespace tarvex {
namespace {

using dialogs_test::DetailedDialogDriver;
using dialogs_test::DriveDetailedDialog;

// The fixed crash with its report, and the session the handling would pass.
struct DialogCase {
  DialogCase() {
    fixture.options.SetDialogFlags(dfStartExpanded);
    fixture.options.SetMailDelivery(mdNone);
    report = ComposeBugReport(fixture.facts);
    session.Options = &fixture.options;
    session.Report = &report;
    session.Facts = &fixture.facts;
    session.ShownMessage = report.exceptionMessage;
    session.Kind = dkDetailed;
    session.ExceptionCount = 1;
  }

  // Shows the dialog; `act` drives it. False when it never appeared.
  bool Show(const std::function<void(DetailedDialogDriver&)>& act) {
    return DriveDetailedDialog(act, [this] { RunDetailedDialog(session); });
  }

  tarvex::testing::ReportFixture fixture;
  BugReport report;
  TDialogSession session;
};

bool HasRow(const std::vector<std::vector<std::string>>& rows, const std::vector<std::string>& wanted) {
  return std::find(rows.begin(), rows.end(), wanted) != rows.end();
}

TEST(DetailedDialog, CallStackPageListsTheRaisingFunctionWithUnitAndLine) {
  DialogCase dialog;
  dialog.fixture.options.SetFirstDetailTab(dtCallStack);
  std::vector<std::vector<std::string>> rows;
  std::string tabCaption;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    tabCaption = user.TabCaption(user.SelectedTab());
    rows = user.ListRows(6);
    user.PressEscape();
  }));
  EXPECT_EQ(tabCaption, "Call Stack");
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "Exception Thread: ID=2316; Priority=0; [Main]");
  EXPECT_EQ(rows[1], (std::vector<std::string>{"0040100A", "ZorvikCalc.exe", "Unit1.pas", "TForm1", "Button1Click",
                                                "41[1]"}));
  EXPECT_TRUE(dialog.session.Shown);
  EXPECT_TRUE(dialog.session.Cancelled);
  EXPECT_FALSE(dialog.session.Send);
  EXPECT_FALSE(dialog.session.CopyToClipboard);
  EXPECT_EQ(dialog.session.Kind, dkNone);
}

TEST(DetailedDialog, ModulesPageListsTheProgram) {
  DialogCase dialog;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> tabs;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    for (int i = 0; i < user.TabCount(); ++i) tabs.push_back(user.TabCaption(i));
    user.SelectTab(2);
    rows = user.ListRows(7);
    user.ClickToEnd(VX_DETAILED_OK);
  }));
  EXPECT_EQ(tabs, (std::vector<std::string>{"General", "Call Stack", "Modules", "Processes", "Assembler", "CPU"}));
  EXPECT_TRUE(HasRow(rows, {"00400000", "ZorvikCalc.exe", "Zorvik material calculator", "1.0.x", "1800 Kb",
                            "2025-01-03 12:00:00", "C:\\Program Files\\Zorvik"}));
  EXPECT_FALSE(dialog.session.Cancelled);
}

TEST(DetailedDialog, WithoutModuleAndCpuSectionsOnlyGeneralAndCallStackRemain) {
  DialogCase dialog;
  dialog.fixture.options.SetLogFlags(0);
  dialog.fixture.options.SetFirstDetailTab(dtModules);  // not present: General opens
  std::vector<std::string> tabs;
  int selected = -1;
  bool richPage = false;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    for (int i = 0; i < user.TabCount(); ++i) tabs.push_back(user.TabCaption(i));
    selected = user.SelectedTab();
    richPage = user.PageList() == nullptr;
    user.ClickToEnd(VX_DETAILED_OK);
  }));
  EXPECT_EQ(tabs, (std::vector<std::string>{"General", "Call Stack"}));
  EXPECT_EQ(selected, 0);
  EXPECT_TRUE(richPage);
}

TEST(DetailedDialog, KillAsksToTerminate) {
  DialogCase dialog;
  dialog.fixture.options.SetTerminateAction(taTerminate);
  dialog.fixture.options.SetTerminateButtonAfter(0);
  std::string killText;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    killText = user.Visible(VX_DETAILED_KILL) ? user.Text(VX_DETAILED_KILL) : "(hidden)";
    user.ClickToEnd(VX_DETAILED_KILL);
  }));
  EXPECT_EQ(killText, "&Terminate");
  EXPECT_TRUE(dialog.session.TerminateRequested);
  EXPECT_FALSE(dialog.session.Cancelled);
  EXPECT_EQ(dialog.session.Kind, dkNone);
}

TEST(DetailedDialog, KillIsHiddenBeforeTheConfiguredExceptionCount) {
  DialogCase dialog;
  dialog.fixture.options.SetTerminateAction(taRestart);
  dialog.fixture.options.SetTerminateButtonAfter(3);
  bool killVisible = true;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    killVisible = user.Visible(VX_DETAILED_KILL);
    user.ClickToEnd(VX_DETAILED_OK);
  }));
  EXPECT_FALSE(killVisible);
  EXPECT_FALSE(dialog.session.TerminateRequested);
}

TEST(DetailedDialog, SendBoxDecidesSendingAndGatesTheScreenshot) {
  struct Case {
    bool tickSend;
    bool expectSend;
  } cases[] = {{true, true}, {false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tickSend ? "send ticked" : "send left unticked");
    DialogCase dialog;
    dialog.fixture.options.SetMailDelivery(mdSMTPRelay);
    dialog.fixture.options.SetSendFlags(sfIncludeScreenshot);
    dialog.fixture.options.SetDialogFlags(dfOfferSending | dfOfferScreenshot | dfOfferCopy);
    dialog.session.Send = true;  // preset by the handling: a send mode is configured
    bool screenshotEnabledBefore = true, screenshotEnabledAfter = false;
    ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
      screenshotEnabledBefore = IsWindowEnabled(user.Item(VX_DETAILED_SCREENSHOT));
      if (c.tickSend) user.Click(VX_DETAILED_SEND);
      screenshotEnabledAfter = IsWindowEnabled(user.Item(VX_DETAILED_SCREENSHOT));
      user.Click(VX_DETAILED_COPY);
      user.ClickToEnd(VX_DETAILED_OK);
    }));
    EXPECT_FALSE(screenshotEnabledBefore);  // the send box starts unticked without option bit 0
    EXPECT_EQ(screenshotEnabledAfter, c.tickSend);
    EXPECT_EQ(dialog.session.Send, c.expectSend);
    EXPECT_TRUE(dialog.session.CopyToClipboard);
  }
}

TEST(DetailedDialog, DetailsSwitchesBetweenCollapsedAndExpanded) {
  DialogCase dialog;
  dialog.fixture.options.SetDialogFlags(0);
  struct Look {
    std::string details, heading;
    bool tabs;
    int height;
  } collapsed, expanded;
  auto look = [](DetailedDialogDriver& user) {
    RECT rect;
    GetWindowRect(user.Dialog(), &rect);
    return Look{user.Text(VX_DETAILED_DETAILS), user.Text(VX_DETAILED_HEADING), user.Visible(VX_DETAILED_TABS),
                int(rect.bottom - rect.top)};
  };
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    collapsed = look(user);
    user.Click(VX_DETAILED_DETAILS);
    expanded = look(user);
    user.ClickToEnd(VX_DETAILED_OK);
  }));
  EXPECT_EQ(collapsed.details, "&Details >>");
  EXPECT_EQ(collapsed.heading, dialog.report.exceptionMessage);
  EXPECT_FALSE(collapsed.tabs);
  EXPECT_EQ(expanded.details, "<< &Details");
  EXPECT_EQ(expanded.heading, dialog.fixture.options.Text(mtErrorDuringExecution));
  EXPECT_TRUE(expanded.tabs);
  EXPECT_GT(expanded.height, collapsed.height);
}

TEST(DetailedDialog, AWindowLeftMaximizedReopensMaximizedAndKeepsItsNormalSize) {
  const TSettingsFile settings;
  WritePrivateProfileStringA(kGeometrySection, nullptr, nullptr, settings.Path().c_str());
  settings.WriteString(kGeometrySection, "Width", "610");
  settings.WriteString(kGeometrySection, "WindowsState", "3");
  DialogCase dialog;
  bool maximized = false;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    maximized = IsZoomed(user.Dialog()) != FALSE;
    user.ClickToEnd(VX_DETAILED_OK);
  }));
  EXPECT_TRUE(maximized);
  EXPECT_EQ(settings.ReadString(kGeometrySection, "WindowsState"), "3");
  EXPECT_EQ(settings.ReadString(kGeometrySection, "Width"), "610");
  EXPECT_EQ(settings.ReadString(kGeometrySection, "Left"), "");
  WritePrivateProfileStringA(kGeometrySection, nullptr, nullptr, settings.Path().c_str());
}

// Geometry and column widths are kept between runs of the program: the
// test runs this program twice, once to change them, once to read them back.
constexpr RECT kMovedWindow{40, 30, 40 + 700, 30 + 500};
constexpr int kModifiedWidth = 133;

TEST(DetailedDialogRun, DISABLED_ChangesGeometry) {
  DialogCase dialog;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    SetWindowPos(user.Dialog(), nullptr, kMovedWindow.left, kMovedWindow.top, kMovedWindow.right - kMovedWindow.left,
                 kMovedWindow.bottom - kMovedWindow.top, SWP_NOZORDER);
    user.SelectTab(2);
    SendMessageA(user.PageList(), LVM_SETCOLUMNWIDTH, 5, kModifiedWidth);
    user.ClickToEnd(VX_DETAILED_OK);
  }));
}

TEST(DetailedDialogRun, DISABLED_ReadsGeometry) {
  DialogCase dialog;
  RECT window{};
  int modifiedWidth = 0;
  ASSERT_TRUE(dialog.Show([&](DetailedDialogDriver& user) {
    GetWindowRect(user.Dialog(), &window);
    user.SelectTab(2);
    modifiedWidth = static_cast<int>(SendMessageA(user.PageList(), LVM_GETCOLUMNWIDTH, 5, 0));
    user.ClickToEnd(VX_DETAILED_OK);
  }));
  EXPECT_EQ(window.left, kMovedWindow.left);
  EXPECT_EQ(window.top, kMovedWindow.top);
  EXPECT_EQ(window.right, kMovedWindow.right);
  EXPECT_EQ(window.bottom, kMovedWindow.bottom);
  EXPECT_EQ(modifiedWidth, kModifiedWidth);
}

// Runs one of the tests above in a new process of this program; its exit code.
DWORD RunThisProgram(const std::string& test) {
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, sizeof program);
  std::string command = "\"" + std::string(program) + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return ~DWORD{0};
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = ~DWORD{0};
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode;
}

TEST(DetailedDialog, GeometryAndColumnWidthsSurviveARestart) {
  const TSettingsFile settings;
  WritePrivateProfileStringA(kGeometrySection, nullptr, nullptr, settings.Path().c_str());
  ASSERT_EQ(RunThisProgram("DetailedDialogRun.DISABLED_ChangesGeometry"), 0u);
  EXPECT_EQ(settings.ReadString(kGeometrySection, "Left"), "40");
  EXPECT_EQ(settings.ReadString(kGeometrySection, "Width"), "700");
  EXPECT_EQ(settings.ReadString(kGeometrySection, "WindowsState"), "1");
  EXPECT_EQ(settings.ReadString(kGeometrySection, "ColMod6"), std::to_string(kModifiedWidth));
  EXPECT_EQ(RunThisProgram("DetailedDialogRun.DISABLED_ReadsGeometry"), 0u);
  WritePrivateProfileStringA(kGeometrySection, nullptr, nullptr, settings.Path().c_str());
}

}  // namespace
}  // namespace tarvex
