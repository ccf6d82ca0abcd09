#include "tests/e2e/crash_dialog_steps.h"

#include <commctrl.h>
#include <richedit.h>

#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"
#include "tests/e2e/pages.h"

namespace e2e {

HWND FailConversion(const CalcDriver& calc, const wchar_t* shape) {
  const ConverterPage page = calc.SelectPage(kWeaponsPage.index, kWeaponsPage.caption);
  SetWindowTextTo(page.shape, shape);
  SetWindowTextTo(page.material, L"");
  CalcDriver::ClickAndGoOn(page.convert);
  return calc.WaitForDialog(kCrashDialogCaption);
}

HWND FollowDetailsLink(const CalcDriver& calc, HWND simple) {
  // The link starts 8 pixels right of its lead-in's text, on the same line.
  const RECT lead = RectInParent(GetDlgItem(simple, kCrashDialogDetailsLead));
  PostMessageW(simple, WM_LBUTTONUP, 0, MAKELPARAM(lead.right + 8 + 4, lead.top + 4));
  if (!WaitUntil([simple] { return !IsWindow(simple); })) return nullptr;
  return calc.WaitForDialog(kCrashDialogCaption);
}

HWND ShowPage(HWND detailed, int tab) {
  HWND tabs = GetDlgItem(detailed, VX_DETAILED_TABS);
  SendMessageW(tabs, TCM_SETCURFOCUS, tab, 0);
  HWND content = nullptr;
  const bool shown = WaitUntil([&] {
    HWND page = FindWindowExW(tabs, nullptr, L"#32770", nullptr);
    content = page ? GetDlgItem(page, VX_PAGE_CONTENT) : nullptr;
    if (content == nullptr || !IsWindowVisible(content)) return false;
    // A rich text page answers the length of its text with 0 to another process; its lines count.
    return ClassName(content) == L"SysListView32" ? SendMessageW(content, LVM_GETITEMCOUNT, 0, 0) > 0
                                                  : SendMessageW(content, EM_GETLINECOUNT, 0, 0) > 1;
  });
  return shown ? content : nullptr;
}

bool CloseDetailedWithoutSending(HWND detailed) {
  SendMessageW(GetDlgItem(detailed, VX_DETAILED_SEND), BM_SETCHECK, BST_UNCHECKED, 0);
  return PressDialogButton(detailed, VX_DETAILED_OK);
}

}  // namespace e2e
