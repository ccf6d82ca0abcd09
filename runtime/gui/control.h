// Windows and controls of the GUI framework: the common base and the windows
// of the framework's own window class.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace rtl::gui {

// Position and size in pixels, relative to the parent's client area.
struct Bounds {
  int left;
  int top;
  int width;
  int height;
};

// A window or control. The object does not own its window: a child window is
// destroyed with its parent, and the object then forgets its handle. Each
// control draws with its parent's font.
class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  HWND Handle() const noexcept { return handle_; }
  HFONT Font() const noexcept { return font_; }

  std::wstring Text() const;
  void SetText(std::wstring_view text);

  // The framework's control behind a window handle; nullptr for other windows.
  static Control* FromHandle(HWND handle) noexcept;

  // A notification this control sent its parent: a WM_COMMAND or WM_NOTIFY code.
  virtual void Notify(UINT code);

 protected:
  struct WindowStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
  };

  // Creates a child window of `parent` with the parent's font.
  void CreateChild(const Control& parent, const WindowStyle& kind, const Bounds& bounds,
                   std::wstring_view text);

  void SetFont(HFONT font);

 private:
  friend class Window;
  void Attach(HWND handle) noexcept;
  void Detach() noexcept;

  HWND handle_ = nullptr;
  HFONT font_ = nullptr;
};

// Arranges the controls (siblings) so that Tab visits them in this order.
void SetTabOrder(std::initializer_list<const Control*> controls);

// A window of the framework's own class. It passes its children's
// notifications back to them, and every exception raised while it handles a
// message goes to the application's exception handler instead of unwinding
// into the system's code.
class Window : public Control {
 protected:
  // parent == nullptr makes a top-level window; bounds are then screen pixels
  // of the whole window.
  void CreateWindowHandle(const Control* parent, DWORD style, DWORD exStyle, const Bounds& bounds,
                          std::wstring_view text);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace rtl::gui
