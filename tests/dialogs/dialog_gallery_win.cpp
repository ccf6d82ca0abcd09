// Opens one of the crash reporter's dialogs with fixed options and a fixed
// report, in English or Chinese, for screenshots (scripts/dialog-screenshots.sh):
//
//   dialog_gallery.exe simple|request|progress en|zh READY_FILE DONE_FILE
//
// Once the dialog has shown, READY_FILE receives its window rectangle
// ("left top width height"); when DONE_FILE appears the dialog is closed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "crashreport/base/options/options.h"
#include "crashreport/base/options/option_types.h"
#include "crashreport/dialogs/exception_dialogs/exception_dialogs_win.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "crashreport/dialogs/request/request_dialog_win.h"

namespace {

using namespace tarvex;

// The Chinese message texts the dialogs use, in UTF-8 here, converted to the
// system code page when set.
const std::vector<std::pair<int, const char*>> kChineseTexts = {
    {2, "错误。"},
    {3, "发生错误"},
    {17, "确定(&O)"},
    {21, "帮助(&H)"},
    {26, "程序遇到问题，需要关闭。给您带来不便，我们深表歉意。"},
    {27, "重新启动程序。"},
    {28, "结束程序。"},
    {29, "请将此问题告诉我们。"},
    {30, "我们已经生成了一份错误报告，您可以发送给我们。我们会将此报告视为机密和匿名。"},
    {31, "要查看此错误报告包含的数据，"},
    {32, "请单击此处。"},
    {33, "出现问题时您正在做什么（可选）？"},
    {34, "电子邮件地址（可选）："},
    {35, "发送错误报告(&S)"},
    {36, "不发送(&D)"},
    {110, "发送。"},
    {111, "邮件"},
    {114, "正在连接服务器..."},
    {123, "请求"},
    {124, "请描述重现此错误的步骤："},
    {125, "确定(&O)"},
    {157, "无效的电子邮件地址。"},
};

std::string ToSystemCodePage(const char* utf8) {
  wchar_t wide[1024];
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
  char text[2048];
  WideCharToMultiByte(CP_ACP, 0, wide, length, text, sizeof text, nullptr, nullptr);
  return text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

BOOL CALLBACK FindVisibleWindowOfThisProcess(HWND window, LPARAM result) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

HWND VisibleWindowOfThisProcess() {
  HWND found = nullptr;
  EnumWindows(&FindVisibleWindowOfThisProcess, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Waits for the dialog, reports where it is, then closes it when told to.
void Watch(const std::string& readyFile, const std::string& doneFile, UINT closeMessage, WPARAM closeParam) {
  HWND window = nullptr;
  while ((window = VisibleWindowOfThisProcess()) == nullptr) Sleep(50);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(500);  // the paint that the redraw asked for reaches the screen
  RECT rect{};
  GetWindowRect(window, &rect);
  if (FILE* file = std::fopen(readyFile.c_str(), "w")) {
    std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    std::fclose(file);
  }
  while (!Exists(doneFile)) Sleep(50);
  PostMessageA(window, closeMessage, closeParam, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: dialog_gallery simple|request|progress en|zh READY_FILE DONE_FILE\n");
    return 2;
  }
  const std::string dialog = argv[1], readyFile = argv[3], doneFile = argv[4];
  TTarvexModuleOptions options;
  if (std::string(argv[2]) == "zh") {
    for (const auto& [index, text] : kChineseTexts) options.SetText(index, ToSystemCodePage(text));
  }
  options.SetMailDelivery(mdSMTPRelay);
  options.SetLogFlags(options.LogFlags() | lfAskReproduceSteps);
  options.SetDialogFlags(options.DialogFlags() | dfCustomButton);

  if (dialog == "simple") {
    BugReport report;
    TDialogSession session;
    session.Options = &options;
    session.Report = &report;
    session.ShownMessage = "'12a' is not a valid integer value.";
    session.Kind = dkSimple;
    session.ExceptionCount = 5;
    session.Send = true;
    std::thread watch(Watch, readyFile, doneFile, WM_COMMAND, IDCANCEL);
    TWindowsExceptionDialogs(WindowsDialogRunners({})).ShowExceptionDialog(session);
    watch.join();
  } else if (dialog == "request") {
    options.SetReproductionSteps("1. Weapons page\r\n2. Shape 12a\r\n3. Convert");
    std::thread watch(Watch, readyFile, doneFile, WM_COMMAND, IDCANCEL);
    ShowRequestDialog(options);
    watch.join();
  } else if (dialog == "progress") {
    OpenProgress({&options, true, false}, true);
    SetProgress(40);
    SetMessageNumber(2, 3);
    ShowStatus(options.Text(mtConnecting));
    std::thread watch(Watch, readyFile, doneFile, WM_NULL, 0);
    watch.join();
    CloseProgress();
  } else {
    return 2;
  }
  return 0;
}
