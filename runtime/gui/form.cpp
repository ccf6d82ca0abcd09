#include "gui/form.h"

#include "gui/application.h"

namespace rtl::gui {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// WS_EX_APPWINDOW: the form itself carries the taskbar button.
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

}  // namespace

Form::~Form() {
  if (Handle() != nullptr) DestroyWindow(Handle());
}

void Form::CreateFormWindow(const FormStyle& style) {
  RECT frame{0, 0, style.clientSize.cx, style.clientSize.cy};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  CreateWindowHandle(nullptr, kStyle, kExStyle,
                     {style.position.x, style.position.y, frame.right - frame.left, frame.bottom - frame.top},
                     style.caption);
  font_ = std::make_unique<gui::Font>(style.fontFace, style.fontHeight);
  SetFont(font_->Handle());
}

void Form::Show() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) SetFocus(first);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY && TheApplication().MainForm() == this) PostQuitMessage(0);
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace rtl::gui
