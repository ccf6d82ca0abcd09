// A top-level window of fixed size: the program's main window.
#pragma once

#include <memory>
#include <string_view>

#include "gui/control.h"
#include "gui/font.h"

namespace rtl::gui {

struct FormStyle {
  std::wstring_view caption;
  POINT position;   // the window's top-left corner on the screen
  SIZE clientSize;  // pixels
  const wchar_t* fontFace;
  int fontHeight;   // character height in pixels
};

class Form : public Window {
 public:
  ~Form() override;

  // Builds the form's window and controls. Called once by Application::CreateForm.
  virtual void Create() = 0;

  // Shows the form and puts the focus on its first control in tab order.
  void Show();

 protected:
  // A single-border window that cannot be resized, in the button-face colour.
  void CreateFormWindow(const FormStyle& style);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::unique_ptr<gui::Font> font_;
};

}  // namespace rtl::gui
