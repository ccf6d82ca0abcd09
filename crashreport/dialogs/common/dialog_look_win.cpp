#include "crashreport/dialogs/common/dialog_look_win.h"

#include <algorithm>

namespace tarvex {
namespace {

// The system's character set: the faces differ for non-Western code pages.
UINT SystemCharset() {
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(GetACP())), &info, TCI_SRCCODEPAGE)) return 0;
  return info.ciCharset;
}

HFONT FontLike(LOGFONTA font, LONG weight, bool underline) {
  font.lfWeight = weight;
  font.lfUnderline = underline ? TRUE : FALSE;
  return CreateFontIndirectA(&font);
}

HFONT FaceAtPoints(const char* face, int points, LONG weight) {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

thread_local TAutoClose* tAutoClose = nullptr;

BOOL CALLBACK ListWindowOfThisProcess(HWND window, LPARAM list) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

bool IsUserAction(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

}  // namespace

HINSTANCE DialogResourceModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&DialogResourceModule), &module);
  return module;
}

TDialogFonts::TDialogFonts() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  const LOGFONTA& message = metrics.lfMessageFont;
  normal = CreateFontIndirectA(&message);
  bold = FontLike(message, FW_BOLD, false);
  underlined = FontLike(message, message.lfWeight, true);
  underlinedBold = FontLike(message, FW_BOLD, true);

  const bool western = SystemCharset() == 0;
  const char* captionFace = western ? "Verdana" : "MS Sans Serif";
  LOGFONTA captionFont = message;
  captionFont.lfHeight = metrics.iCaptionHeight;
  lstrcpynA(captionFont.lfFaceName, captionFace, LF_FACESIZE);
  caption = FontLike(captionFont, FW_BOLD, false);
  fixed = FaceAtPoints(western ? "Lucida Console" : "Courier New", western ? 8 : 10, FW_NORMAL);
  status = FaceAtPoints(western ? "Tahoma" : "Courier New", western ? 8 : 10, FW_NORMAL);
}

TDialogFonts::~TDialogFonts() {
  for (HFONT font : {normal, bold, underlined, underlinedBold, caption, fixed, status}) {
    if (font) DeleteObject(font);
  }
}

TTextMeter::TTextMeter(HWND window) : window_(window), dc_(GetDC(window)) {}
TTextMeter::~TTextMeter() { ReleaseDC(window_, dc_); }

int TTextMeter::LineHeight(HFONT font) {
  const HGDIOBJ old = SelectObject(dc_, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc_, &metrics);
  SelectObject(dc_, old);
  return metrics.tmHeight;
}

int TTextMeter::Width(HFONT font, const std::string& text) {
  const HGDIOBJ old = SelectObject(dc_, font);
  SIZE size{};
  GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc_, old);
  return size.cx;
}

size_t SystemCharLength(std::string_view text, size_t pos) {
  return pos + 1 < text.size() && IsDBCSLeadByte(static_cast<BYTE>(text[pos])) ? 2 : 1;
}

RECT PlacementRectangle() {
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  HWND foreground = GetForegroundWindow();
  if (HMONITOR monitor = MonitorFromWindow(foreground, MONITOR_DEFAULTTOPRIMARY)) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) area = info.rcWork;
  }
  return area;
}

void CentreOn(HWND window, const RECT& area) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(window, nullptr, std::max<int>(left, area.left), std::max<int>(top, area.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveToBottomRight(HWND window, const RECT& area) {
  RECT rect{};
  GetWindowRect(window, &rect);
  SetWindowPos(window, nullptr, area.right - (rect.right - rect.left), area.bottom - (rect.bottom - rect.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MakeTopmost(HWND window, bool topmost) {
  SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
  if (!bitmap) return;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  HDC source = CreateCompatibleDC(dc);
  const HGDIOBJ old = SelectObject(source, bitmap);
  TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, info.bmWidth, info.bmHeight,
                 GetPixel(source, 0, 0));
  SelectObject(source, old);
  DeleteDC(source);
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TStayInFront::Start(HWND dialog) {
  dialog_ = dialog;
  listed_.clear();
  EnumWindows(&ListWindowOfThisProcess, reinterpret_cast<LPARAM>(&listed_));
}

void TStayInFront::Check(bool dialogIsTopmost) const {
  if (dialogIsTopmost) return;
  HWND foreground = GetForegroundWindow();
  if (foreground == nullptr || foreground == dialog_) return;
  if (std::find(listed_.begin(), listed_.end(), foreground) != listed_.end()) SetForegroundWindow(dialog_);
}

void TAutoClose::Start(HWND dialog, UINT_PTR timerId, int seconds) {
  dialog_ = dialog;
  seconds_ = seconds;
  count_ = 0;
  outer_ = tAutoClose;
  tAutoClose = this;
  hook_ = SetWindowsHookExA(WH_MSGFILTER, &TAutoClose::WatchActivity, nullptr, GetCurrentThreadId());
  if (seconds_ > 0) timerId_ = SetTimer(dialog, timerId, 1000, nullptr);
}

void TAutoClose::Stop() {
  if (timerId_) KillTimer(dialog_, timerId_);
  timerId_ = 0;
  if (hook_) UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  if (tAutoClose == this) tAutoClose = outer_;
}

bool TAutoClose::Tick() { return seconds_ > 0 && ++count_ >= seconds_; }

LRESULT CALLBACK TAutoClose::WatchActivity(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && tAutoClose != nullptr) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    HWND dialog = tAutoClose->dialog_;
    if (IsUserAction(message->message) && (message->hwnd == dialog || IsChild(dialog, message->hwnd))) {
      tAutoClose->Restart();
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace tarvex
