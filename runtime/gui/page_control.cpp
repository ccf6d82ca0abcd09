#include "gui/page_control.h"

#include <commctrl.h>

namespace rtl::gui {

void PageControl::Create(const Control& parent, const Bounds& bounds) {
  CreateChild(parent, {WC_TABCONTROLW, WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0}, bounds, L"");
}

void PageControl::AddSheet(TabSheet& sheet, std::wstring_view caption) {
  std::wstring text(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  SendMessageW(Handle(), TCM_INSERTITEMW, sheets_.size(), reinterpret_cast<LPARAM>(&item));

  RECT page;
  GetClientRect(Handle(), &page);
  SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  sheet.CreateWindowHandle(this, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                           {page.left, page.top, page.right - page.left, page.bottom - page.top}, caption);
  sheets_.push_back(&sheet);
  ShowActivePage();
}

int PageControl::ActivePageIndex() const {
  return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
}

void PageControl::SetActivePageIndex(int index) {
  SendMessageW(Handle(), TCM_SETCURSEL, index, 0);
  ShowActivePage();
}

void PageControl::Notify(UINT code) {
  if (code == TCN_SELCHANGE) ShowActivePage();
}

void PageControl::ShowActivePage() {
  const int active = ActivePageIndex();
  for (size_t i = 0; i < sheets_.size(); ++i)
    ShowWindow(sheets_[i]->Handle(), static_cast<int>(i) == active ? SW_SHOW : SW_HIDE);
}

}  // namespace rtl::gui
