#include "gui/control.h"

#include <exception>

#include "gui/application.h"
#include "rtl/exception.h"

namespace rtl::gui {

namespace {

// The property that ties a window to its Control. A property (unlike the
// user-data slot) can never be mistaken for another owner's data.
constexpr wchar_t kControlProperty[] = L"RtlGuiControl";
constexpr wchar_t kWindowClass[] = L"RtlGuiWindow";

// Creates a window; child windows get an id of their own.
HWND MakeWindow(const wchar_t* className, DWORD style, DWORD exStyle, const Bounds& bounds,
                std::wstring_view text, HWND parent, void* createParam) {
  static int nextChildId = 100;
  HMENU id = parent != nullptr ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextChildId++)) : nullptr;
  HWND handle = CreateWindowExW(exStyle, className, std::wstring(text).c_str(), style, bounds.left,
                                bounds.top, bounds.width, bounds.height, parent, id,
                                GetModuleHandleW(nullptr), createParam);
  if (handle == nullptr)
    throw Exception("cannot create a window: error " + std::to_string(GetLastError()));
  return handle;
}

}  // namespace

Control::~Control() { Detach(); }

void Control::Attach(HWND handle) noexcept {
  handle_ = handle;
  SetPropW(handle, kControlProperty, this);
}

void Control::Detach() noexcept {
  if (handle_ != nullptr) RemovePropW(handle_, kControlProperty);
  handle_ = nullptr;
}

Control* Control::FromHandle(HWND handle) noexcept {
  return handle != nullptr ? static_cast<Control*>(GetPropW(handle, kControlProperty)) : nullptr;
}

std::wstring Control::Text() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(handle_)), L'\0');
  if (!text.empty()) {
    const int n = GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<size_t>(n));
  }
  return text;
}

void Control::SetText(std::wstring_view text) { SetWindowTextW(handle_, std::wstring(text).c_str()); }

void Control::Notify(UINT) {}

void Control::SetFont(HFONT font) {
  font_ = font;
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Control::CreateChild(const Control& parent, const WindowStyle& kind, const Bounds& bounds,
                          std::wstring_view text) {
  Attach(MakeWindow(kind.className, kind.style | WS_CHILD | WS_VISIBLE, kind.exStyle, bounds, text,
                    parent.Handle(), nullptr));
  SetFont(parent.Font());
}

void SetTabOrder(std::initializer_list<const Control*> controls) {
  HWND previous = HWND_TOP;
  for (const Control* control : controls) {
    SetWindowPos(control->Handle(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = control->Handle();
  }
}

void Window::CreateWindowHandle(const Control* parent, DWORD style, DWORD exStyle, const Bounds& bounds,
                                std::wstring_view text) {
  static const ATOM windowClass = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
  }();
  (void)windowClass;

  // The window attaches itself to this object in WM_NCCREATE (WindowProc).
  MakeWindow(kWindowClass, style, exStyle, bounds, text, parent != nullptr ? parent->Handle() : nullptr, this);
  if (parent != nullptr) SetFont(parent->Font());
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (Control* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        child->Notify(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (Control* child = FromHandle(header->hwndFrom)) {
        child->Notify(header->code);
        return 0;
      }
      break;
    }
  }
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->Attach(handle);
  }
  // Only Window objects are attached to windows of this class.
  auto* self = static_cast<Window*>(FromHandle(handle));
  if (self == nullptr) return DefWindowProcW(handle, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->Detach();
    return DefWindowProcW(handle, message, wParam, lParam);
  }
  // C++ exceptions must not unwind through the system's frames: this is where
  // every exception raised by the program's handlers is caught.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    TheApplication().HandleException(error);
  } catch (...) {
    TheApplication().HandleException(Exception("unknown exception"));
  }
  return 0;
}

}  // namespace rtl::gui
