#include "crashreport/dialogs/detailed/detailed_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "crashreport/base/options/options.h"
#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"
#include "crashreport/dialogs/detailed/detailed_pages_win.h"
#include "crashreport/dialogs/detailed/detailed_rules.h"
#include "crashreport/dialogs/detailed/dialog_geometry.h"
#include "crashreport/dialogs/settings/settings_file_win.h"
#include "rtl/convert.h"

namespace tarvex {

namespace {

// By TTarvexDetailTab.
constexpr TMessageText kPageTabTexts[] = {mtGeneral, mtCallStack, mtModules, mtProcesses, mtAssembler, mtCPU};

enum TimerId : UINT_PTR { kStartTimer = 1, kAutoCloseTimer, kStayInFrontTimer };

constexpr int kMargin = 8, kHeadingLeft = 58, kButtonHeight = 23, kMinButtonWidth = 75, kBandRow = 17;
constexpr COLORREF kFlatBackground = RGB(212, 208, 200);

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return monitor.rcWork;
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

ScreenRect ToScreenRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

BOOL CALLBACK ListProcessWindow(HWND window, LPARAM list) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == GetCurrentProcessId()) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::string WithoutAmpersands(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
  return text;
}

class DetailedDialog {
 public:
  explicit DetailedDialog(TDialogSession& session)
      : session_(session),
        options_(*session.Options),
        offers_(DetailedDialogOffers(options_, session.IsDuplicate, session.ExceptionCount)),
        pages_(PresentPages(options_.LogFlags())) {}
  ~DetailedDialog() { FreeGdiObjects(); }

  // False when the dialog could not be made.
  bool Run();
  bool HandlerFailed() const { return handlerFailed_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void Start();
  void CreateFonts();
  void FreeGdiObjects();
  void SetUpFrame();
  void SetUpControls();
  void SetUpTabs();
  void SetExpanded(bool expanded, bool starting);
  void Layout();
  int HeadingHeight(int width) const;
  int TextWidth(const std::string& text) const;
  void ShowPage(int position);
  void SaveGeometry();
  void OnCommand(int id);
  void Finish();
  void OnTimer(UINT_PTR id);
  void UserActed() { autoCloseCount_ = 0; }
  void PaintLink(HDC dc);
  bool OverLink(LPARAM lParam) const;

  HWND Item(int id) const { return GetDlgItem(window_, id); }
  void SetItemText(int id, const std::string& text) const { SetDlgItemTextA(window_, id, text.c_str()); }

  TDialogSession& session_;
  TTarvexModuleOptions& options_;
  const DetailedOffers offers_;
  const std::vector<TTarvexDetailTab> pages_;
  TSettingsFile settings_;
  HWND window_ = nullptr;
  bool expanded_ = false;
  bool reachedExpandedSize_ = false;
  bool cancelled_ = false;
  bool handlerFailed_ = false;
  std::unique_ptr<DetailedPage> page_;
  PageSources sources_;
  HFONT dialogFont_ = nullptr, linkFont_ = nullptr, monoFont_ = nullptr;
  HBRUSH flatBrush_ = nullptr;
  RECT linkRect_{};
  int autoCloseCount_ = 0;
  std::vector<HWND> windowsAtStart_;
};

bool DetailedDialog::Run() {
  const INT_PTR result = DialogBoxParamA(DialogResourceModule(), "VX_DIALOG", nullptr, DialogProc,
                                         reinterpret_cast<LPARAM>(this));
  return result != -1 && window_ != nullptr;
}

INT_PTR CALLBACK DetailedDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<DetailedDialog*>(lParam)->window_ = window;
  }
  auto* dialog = reinterpret_cast<DetailedDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!dialog) return FALSE;
  // Nothing raised while handling a message may unwind into the system's code.
  try {
    return dialog->HandleMessage(message, wParam, lParam);
  } catch (...) {
    dialog->handlerFailed_ = true;
    EndDialog(window, 0);
    return TRUE;
  }
}

INT_PTR DetailedDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Start();
      return FALSE;  // the focus is set
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      DrawIconEx(dc, 12, kMargin + 2, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)), 32, 32, 0, nullptr,
                 DI_NORMAL);
      if (offers_.supportLink) PaintLink(dc);
      EndPaint(window_, &paint);
      session_.Shown = true;
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (!flatBrush_) return FALSE;
      SetBkColor(reinterpret_cast<HDC>(wParam), kFlatBackground);
      return reinterpret_cast<INT_PTR>(flatBrush_);
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO:
      if (expanded_) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {400, 300};
      return TRUE;
    case WM_NOTIFY:
      UserActed();
      if (reinterpret_cast<NMHDR*>(lParam)->idFrom == VX_DETAILED_TABS &&
          reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE)
        ShowPage(TabCtrl_GetCurSel(Item(VX_DETAILED_TABS)));
      return TRUE;
    case WM_COMMAND:
      UserActed();
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_SETCURSOR:
      if (offers_.supportLink) {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(window_, &cursor);
        if (PtInRect(&linkRect_, cursor)) {
          SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
          SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
          return TRUE;
        }
      }
      return FALSE;
    case WM_LBUTTONUP:
      UserActed();
      if (offers_.supportLink && OverLink(lParam))
        ShellExecuteA(nullptr, "open", options_.SupportPageAddress().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      return TRUE;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_KEYDOWN:
      UserActed();
      return FALSE;
    case WM_DESTROY:
      Finish();
      return FALSE;
  }
  return FALSE;
}

void DetailedDialog::Start() {
  CreateFonts();
  SetUpFrame();
  SetUpControls();
  SetUpTabs();
  SetExpanded(StartsExpanded(session_.Repeated, options_.DialogFlags()), true);
  SetFocus(Item(VX_DETAILED_OK));

  // The process's windows now: the stay-in-front timer yields to any opened later.
  EnumWindows(ListProcessWindow, reinterpret_cast<LPARAM>(&windowsAtStart_));
  SetTimer(window_, kStartTimer, 1, nullptr);
  if (options_.DialogAutoCloseSeconds() > 0) SetTimer(window_, kAutoCloseTimer, 1000, nullptr);
  SetTimer(window_, kStayInFrontTimer, 10, nullptr);
}

void DetailedDialog::CreateFonts() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  dialogFont_ = reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0));
  LOGFONTA link = metrics.lfMessageFont;
  link.lfUnderline = TRUE;
  linkFont_ = CreateFontIndirectA(&link);

  // The monospace face: a wider one at 10 points for other character sets.
  const int charset = session_.Facts ? rtl::TryStrToInt(session_.Facts->system.osCharset).value_or(0) : 0;
  sources_.font = {charset, charset != 0 ? "Courier New" : "Lucida Console", charset != 0 ? 10 : 8};
  HDC screen = GetDC(nullptr);
  monoFont_ = CreateFontA(-MulDiv(sources_.font.pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0,
                          FW_NORMAL, FALSE, FALSE, FALSE, static_cast<BYTE>(charset), OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                          sources_.font.face.c_str());
  HGDIOBJ old = SelectObject(screen, monoFont_);
  SIZE dashes{};
  GetTextExtentPoint32A(screen, "---------------------", 21, &dashes);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);

  sources_.options = &options_;
  sources_.report = session_.Report;
  sources_.facts = session_.Facts;
  sources_.settings = &settings_;
  sources_.contentFont = monoFont_;
  sources_.dumpTabTwips = dashes.cx * 15;
}

void DetailedDialog::FreeGdiObjects() {
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(linkFont_), static_cast<HGDIOBJ>(monoFont_),
                         static_cast<HGDIOBJ>(flatBrush_)})
    if (object) DeleteObject(object);
  linkFont_ = monoFont_ = nullptr;
  flatBrush_ = nullptr;
}

void DetailedDialog::SetUpFrame() {
  const uint16_t flags = options_.DialogFlags();
  if (flags & dfTopmost) SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  const bool flat = (flags & dfOwnDialogLook) != 0;
  if (flat) {
    flatBrush_ = CreateSolidBrush(kFlatBackground);
  } else {
    SetWindowLongPtrA(window_, GWL_EXSTYLE, GetWindowLongPtrA(window_, GWL_EXSTYLE) & ~WS_EX_TOOLWINDOW);
    for (int box : {VX_DETAILED_SEND, VX_DETAILED_SCREENSHOT, VX_DETAILED_COPY})
      SetWindowLongPtrA(Item(box), GWL_STYLE, GetWindowLongPtrA(Item(box), GWL_STYLE) & ~BS_FLAT);
  }
  SetWindowTextA(window_, options_.Text(mtErrorOccurred).c_str());
}

void DetailedDialog::SetUpControls() {
  const uint16_t flags = options_.DialogFlags();
  SetItemText(VX_DETAILED_SEND, options_.Text(mtSendThisError));
  SetItemText(VX_DETAILED_SCREENSHOT, options_.Text(mtAttachScreenshot));
  SetItemText(VX_DETAILED_COPY, options_.Text(mtCopyToClipboard));
  CheckDlgButton(window_, VX_DETAILED_SEND, (flags & dfSendChecked) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window_, VX_DETAILED_SCREENSHOT,
                 session_.AttachScreenshot && (flags & dfScreenshotChecked) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window_, VX_DETAILED_COPY, BST_UNCHECKED);
  EnableWindow(Item(VX_DETAILED_SCREENSHOT), IsDlgButtonChecked(window_, VX_DETAILED_SEND) == BST_CHECKED);
  ShowWindow(Item(VX_DETAILED_SEND), offers_.send ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(VX_DETAILED_SCREENSHOT), offers_.send && offers_.screenshot ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(VX_DETAILED_COPY), offers_.copy ? SW_SHOW : SW_HIDE);

  SetItemText(VX_DETAILED_KILL, options_.Text(options_.TerminateAction() == taTerminate ? mtTerminate : mtRestart));
  ShowWindow(Item(VX_DETAILED_KILL), offers_.killButton ? SW_SHOW : SW_HIDE);
  SetItemText(VX_DETAILED_HELP, options_.Text(mtHelp));
  ShowWindow(Item(VX_DETAILED_HELP), offers_.customButton ? SW_SHOW : SW_HIDE);
  SetItemText(VX_DETAILED_OK, options_.Text(mtOk));
}

void DetailedDialog::SetUpTabs() {
  HWND tabs = Item(VX_DETAILED_TABS);
  SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_), FALSE);
  for (size_t i = 0; i < pages_.size(); ++i) {
    std::string text = options_.Text(kPageTabTexts[pages_[i]]);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  TabCtrl_SetCurSel(tabs, FirstPagePosition(pages_, options_.FirstDetailTab()));
}

int DetailedDialog::TextWidth(const std::string& text) const {
  HDC dc = GetDC(window_);
  HGDIOBJ old = SelectObject(dc, dialogFont_);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  return size.cx;
}

int DetailedDialog::HeadingHeight(int width) const {
  char text[4096];
  GetDlgItemTextA(window_, VX_DETAILED_HEADING, text, sizeof text);
  HDC dc = GetDC(window_);
  HGDIOBJ old = SelectObject(dc, dialogFont_);
  RECT bounds{0, 0, width, 0};
  DrawTextA(dc, text, -1, &bounds, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  return bounds.bottom - bounds.top;
}

void DetailedDialog::SetExpanded(bool expanded, bool starting) {
  if (!starting && expanded_) SaveGeometry();
  expanded_ = expanded;
  const std::string details = options_.Text(mtDetails);
  SetItemText(VX_DETAILED_DETAILS, expanded ? "<< " + details : details + " >>");
  SetItemText(VX_DETAILED_HEADING, expanded ? options_.Text(mtErrorDuringExecution) : session_.ShownMessage);
  ShowWindow(Item(VX_DETAILED_TABS), expanded ? SW_SHOW : SW_HIDE);

  if (IsZoomed(window_)) ShowWindow(window_, SW_RESTORE);
  LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
  style = expanded ? (style | WS_THICKFRAME | WS_MAXIMIZEBOX) : (style & ~(WS_THICKFRAME | WS_MAXIMIZEBOX));
  SetWindowLongPtrA(window_, GWL_STYLE, style);
  SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);

  const ScreenRect workArea = ToScreenRect(WorkAreaOf(starting ? GetForegroundWindow() : window_));
  RECT frame{0, 0, 100, 100};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, GetWindowLongPtrA(window_, GWL_EXSTYLE));
  const int frameWidth = frame.right - frame.left - 100, frameHeight = frame.bottom - frame.top - 100;
  ScreenRect placed;
  int showState = kShowNormal;
  if (expanded) {
    const StoredGeometry stored =
        ReadGeometry([this](const char* key) { return settings_.ReadString(kGeometrySection, key); });
    placed = PlaceExpandedWindow(stored, workArea);
    showState = stored.showState;
    reachedExpandedSize_ = true;
  } else {
    std::string lines = session_.ShownMessage + "\r\n" + WithoutAmpersands(options_.Text(mtSendThisError)) + "    " +
                        WithoutAmpersands(options_.Text(mtCopyToClipboard));
    int widest = 0;
    for (size_t start = 0; start <= lines.size();) {
      const size_t end = std::min(lines.find('\n', start), lines.size());
      widest = std::max(widest, TextWidth(lines.substr(start, end - start)));
      start = end + 1;
    }
    const int width = CollapsedWindowWidth(widest, frameWidth);
    const int headingHeight = std::max(HeadingHeight(width - frameWidth - kHeadingLeft - kMargin), 32);
    const int band = offers_.bandHeight ? offers_.bandHeight + 6 : 0;
    const int clientHeight = kMargin + headingHeight + 10 + 2 + 6 + band + kButtonHeight + kMargin;
    placed = CentreIn(width, clientHeight + frameHeight, workArea);
  }
  SetWindowPos(window_, nullptr, placed.left, placed.top, placed.width, placed.height, SWP_NOZORDER);
  if (expanded && !page_) ShowPage(TabCtrl_GetCurSel(Item(VX_DETAILED_TABS)));
  Layout();
  if (starting)
    ShowWindow(window_, showState == kShowMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  else if (showState == kShowMaximized)
    ShowWindow(window_, SW_SHOWMAXIMIZED);
}

void DetailedDialog::Layout() {
  if (!window_) return;
  RECT client;
  GetClientRect(window_, &client);
  const int width = client.right, height = client.bottom;

  // Buttons along the bottom: Help on the left; Kill, OK and Details on the right.
  const int buttonsTop = height - kMargin - kButtonHeight;
  auto buttonWidth = [this](int id) {
    char text[256];
    GetDlgItemTextA(window_, id, text, sizeof text);
    return std::max(kMinButtonWidth, TextWidth(WithoutAmpersands(text)) + 16 + 4 * GetSystemMetrics(SM_CXBORDER));
  };
  MoveWindow(Item(VX_DETAILED_HELP), kMargin, buttonsTop, buttonWidth(VX_DETAILED_HELP), kButtonHeight, TRUE);
  int right = width - kMargin;
  for (int id : {VX_DETAILED_DETAILS, VX_DETAILED_OK, VX_DETAILED_KILL}) {
    if (id == VX_DETAILED_KILL && !offers_.killButton) continue;
    const int buttonWidthNow = buttonWidth(id);
    right -= buttonWidthNow;
    MoveWindow(Item(id), right, buttonsTop, buttonWidthNow, kButtonHeight, TRUE);
    right -= 6;
  }

  // The band of check boxes and the link: sending over screenshot, copying over the link.
  const int bandTop = buttonsTop - (offers_.bandHeight ? offers_.bandHeight + 6 : 0);
  const int half = (width - 2 * kMargin) / 2;
  MoveWindow(Item(VX_DETAILED_SEND), kMargin, bandTop, half - 4, kBandRow - 1, TRUE);
  MoveWindow(Item(VX_DETAILED_SCREENSHOT), kMargin, bandTop + kBandRow, half - 4, kBandRow - 1, TRUE);
  MoveWindow(Item(VX_DETAILED_COPY), kMargin + half, bandTop, half - 4, kBandRow - 1, TRUE);
  const int linkTop = offers_.copy ? bandTop + kBandRow : bandTop;
  const std::string link = options_.Text(mtGoToSupportPage);
  linkRect_ = {kMargin + half, linkTop, kMargin + half + TextWidth(link) + 4, linkTop + kBandRow - 1};
  const int separatorTop = bandTop - 6 - 2;
  MoveWindow(Item(VX_DETAILED_SEPARATOR), kMargin, separatorTop, width - 2 * kMargin, 2, TRUE);

  const int headingWidth = width - kHeadingLeft - kMargin;
  const int headingHeight = HeadingHeight(headingWidth);
  MoveWindow(Item(VX_DETAILED_HEADING), kHeadingLeft, kMargin, headingWidth, headingHeight, TRUE);
  const int tabsTop = kMargin + std::max(headingHeight, 32) + 8;
  MoveWindow(Item(VX_DETAILED_TABS), kMargin, tabsTop, width - 2 * kMargin,
             std::max(separatorTop - 6 - tabsTop, 0), TRUE);
  if (page_) page_->Place();
  InvalidateRect(window_, nullptr, TRUE);
}

void DetailedDialog::ShowPage(int position) {
  page_.reset();  // a list page writes its column widths now
  if (position < 0 || position >= static_cast<int>(pages_.size())) return;
  page_ = DetailedPage::Create(Item(VX_DETAILED_TABS), pages_[position], sources_);
}

void DetailedDialog::SaveGeometry() {
  if (!reachedExpandedSize_) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window_, &placement)) return;
  const int showState = placement.showCmd == SW_SHOWMAXIMIZED ? kShowMaximized : kShowNormal;
  RECT rect;
  GetWindowRect(window_, &rect);
  for (const auto& [key, value] : GeometryToSave(showState, ToScreenRect(rect)))
    settings_.WriteString(kGeometrySection, key, value);
}

void DetailedDialog::OnCommand(int id) {
  switch (id) {
    case VX_DETAILED_OK:
      EndDialog(window_, IDOK);
      break;
    case VX_DETAILED_KILL:
      session_.TerminateRequested = true;
      EndDialog(window_, IDOK);
      break;
    case VX_DETAILED_HELP:
      if (session_.OnCustomButton) session_.OnCustomButton();
      break;
    case VX_DETAILED_DETAILS:
      SetExpanded(!expanded_, false);
      break;
    case VX_DETAILED_SEND:
      EnableWindow(Item(VX_DETAILED_SCREENSHOT), IsDlgButtonChecked(window_, VX_DETAILED_SEND) == BST_CHECKED);
      break;
    case IDCANCEL:
      cancelled_ = true;
      EndDialog(window_, IDCANCEL);
      break;
  }
}

void DetailedDialog::Finish() {
  for (UINT_PTR timer : {kStartTimer, kAutoCloseTimer, kStayInFrontTimer}) KillTimer(window_, timer);
  if (expanded_) SaveGeometry();
  page_.reset();
  const bool sendChecked = IsDlgButtonChecked(window_, VX_DETAILED_SEND) == BST_CHECKED;
  session_.Send = session_.Send && sendChecked && !cancelled_;
  session_.AttachScreenshot = IsDlgButtonChecked(window_, VX_DETAILED_SCREENSHOT) == BST_CHECKED;
  session_.CopyToClipboard = !cancelled_ && IsDlgButtonChecked(window_, VX_DETAILED_COPY) == BST_CHECKED;
  session_.Cancelled = session_.Cancelled || cancelled_;
  session_.Kind = dkNone;
}

void DetailedDialog::OnTimer(UINT_PTR id) {
  if (id == kStartTimer) {
    KillTimer(window_, kStartTimer);
    // Not painted by now: nobody can see it (a hidden desktop, say).
    if (!session_.Shown) EndDialog(window_, IDOK);
  } else if (id == kAutoCloseTimer) {
    if (++autoCloseCount_ >= options_.DialogAutoCloseSeconds()) EndDialog(window_, IDOK);
  } else if (id == kStayInFrontTimer) {
    if (GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) return;
    HWND foreground = GetForegroundWindow();
    if (foreground && foreground != window_ &&
        std::find(windowsAtStart_.begin(), windowsAtStart_.end(), foreground) != windowsAtStart_.end())
      SetForegroundWindow(window_);
  }
}

void DetailedDialog::PaintLink(HDC dc) {
  const std::string link = options_.Text(mtGoToSupportPage);
  HGDIOBJ old = SelectObject(dc, linkFont_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 255));
  RECT rect = linkRect_;
  DrawTextA(dc, link.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, old);
}

bool DetailedDialog::OverLink(LPARAM lParam) const {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&linkRect_, point) != FALSE;
}

}  // namespace

void RunDetailedDialog(TDialogSession& session) {
  if (!session.Options || !session.Report) {
    session.Failed = true;
    session.Kind = dkNone;
    return;
  }
  HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    DetailedDialog dialog(session);
    if (!dialog.Run() || dialog.HandlerFailed()) session.Failed = true;
  } catch (...) {
    session.Failed = true;
  }
  if (richEdit) FreeLibrary(richEdit);
  session.Kind = dkNone;
}

}  // namespace tarvex
