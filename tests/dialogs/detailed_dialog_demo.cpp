// Shows the detailed dialog for the fixed crash of the report tests, for
// screenshots (scripts/detailed-dialog-screenshots.sh):
//
//   detailed_dialog_demo.exe [--expanded] [--page N] [--chinese] [--close-after SECONDS]
//
// --page opens tab N (0 General ... 5 CPU); --chinese gives the dialog's
// texts in Chinese, as a program's options can; --close-after closes the
// dialog by its auto-close timer.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "crashreport/report/composer/bug_report.h"
#include "crashreport/dialogs/detailed/detailed_dialog.h"
#include "gui/wide_text.h"
#include "tests/report/composer/report_fixture.h"

namespace {

// The dialog's texts in Chinese (UTF-8 here; the options hold them in the system's code page).
const std::pair<int, const char*> kChineseTexts[] = {
    {3, "发生错误"},
    {4, "程序运行时发生了错误。\r\n请阅读下面的信息了解详情。"},
    {5, "常规"}, {6, "常规信息"}, {7, "调用栈"}, {8, "调用栈信息"},
    {9, "模块"}, {10, "模块信息"}, {11, "进程"}, {12, "进程信息"},
    {13, "汇编"}, {14, "汇编信息"}, {15, "CPU"}, {16, "CPU 信息"},
    {17, "确定(&O)"}, {18, "终止(&T)"}, {19, "重新启动(&R)"}, {20, "详细信息(&D)"}, {21, "帮助(&H)"},
    {22, "通过互联网发送此错误(&S)"}, {23, "附加屏幕截图(&A)"}, {24, "复制到剪贴板(&C)"}, {25, "转到支持页面"},
    {92, "地址"}, {93, "模块"}, {94, "单元"}, {95, "类"}, {96, "过程/方法"}, {97, "行"},
    {98, "主线程"}, {99, "异常线程"}, {100, "运行线程"}, {101, "调用线程"}, {102, "编号"}, {103, "优先级"}, {104, "类"},
    {126, "句柄"}, {127, "名称"}, {128, "描述"}, {129, "版本"}, {130, "大小"}, {131, "修改时间"}, {132, "路径"},
    {133, "编号"}, {134, "名称"}, {135, "描述"}, {136, "版本"}, {137, "内存"}, {138, "优先级"}, {139, "线程"},
    {140, "路径"},
};

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvex;
  testing::ReportFixture fixture;
  bool expanded = false, chinese = false, flat = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--expanded") expanded = true;
    if (argument == "--page" && i + 1 < argc) fixture.options.SetFirstDetailTab(TTarvexDetailTab(std::atoi(argv[++i])));
    if (argument == "--chinese") chinese = true;
    if (argument == "--flat") flat = true;
    if (argument == "--close-after" && i + 1 < argc) fixture.options.SetDialogAutoCloseSeconds(std::atoi(argv[++i]));
  }
  if (chinese)
    for (const auto& [index, text] : kChineseTexts)
      fixture.options.SetText(index, rtl::gui::WideToAnsi(rtl::gui::Utf8ToWide(text)));
  fixture.options.SetMailDelivery(mdSMTPRelay);
  fixture.options.SetSendFlags(sfIncludeScreenshot);
  fixture.options.SetDialogFlags(dfSendChecked | dfScreenshotChecked | dfOfferCopy | dfOfferSending |
                                 dfOfferScreenshot | dfCustomButton | (expanded ? dfStartExpanded : 0) |
                                 (flat ? dfOwnDialogLook : 0));
  fixture.options.SetTerminateAction(taRestart);
  fixture.options.SetTerminateButtonAfter(0);
  fixture.options.SetSupportPageAddress("http://127.0.0.1/support");
  fixture.facts.system.osCharset = chinese ? "134" : "0";  // GB2312 or ANSI
  const BugReport report = ComposeBugReport(fixture.facts);

  BugReport shown = report;
  TDialogSession session;
  session.Options = &fixture.options;
  session.Report = &shown;
  session.Facts = &fixture.facts;
  session.ShownMessage = report.exceptionMessage;
  session.Kind = dkDetailed;
  session.Send = session.AttachScreenshot = true;
  session.ExceptionCount = 1;
  RunDetailedDialog(session);
  return session.Failed ? 1 : 0;
}
