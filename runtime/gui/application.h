// The application object: the program's title, its forms and the message loop.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "gui/control.h"
#include "gui/form.h"

namespace rtl::gui {

class Application {
 public:
  // Virtual-method table layout, for code that intercepts the exception
  // handling by patching a slot of this class's table (Itanium C++ ABI as
  // used by the i686 mingw compiler: the object's first word points at slot 0,
  // each slot is 4 bytes, member functions use the thiscall convention with
  // `this` in ECX and the arguments on the stack, popped by the callee):
  //   slot 0  HandleException(const std::exception&)
  //   slot 1  ShowException(const std::exception&)
  //   slots 2 and 3 the destructor
  // The framework always calls these two through the table.
  static constexpr int kHandleExceptionSlot = 0;
  static constexpr int kShowExceptionSlot = 1;

  // The application's exception handler. The framework calls it for every
  // exception that escapes the handling of a window message, from inside the
  // catch block (std::current_exception() is the exception). The default shows
  // the exception with ShowException; the program then goes on.
  virtual void HandleException(const std::exception& error);

  // The framework's own error box: the exception's message (runtime text in
  // the system code page) under the application's title, with an OK button.
  virtual void ShowException(const std::exception& error);

  virtual ~Application();

  // Creates the application's hidden window. Its title stays empty: the main
  // form carries the taskbar button, not this window.
  void Initialize();
  HWND Handle() const noexcept;

  // The title of the program, shown on the framework's message boxes.
  const std::wstring& Title() const noexcept { return title_; }
  void SetTitle(std::wstring title) { title_ = std::move(title); }

  // Creates a form of class F (F::Create builds its window); the first form
  // created becomes the main form. `form` is set before F::Create runs.
  template <class F>
  void CreateForm(F*& form) {
    auto created = std::make_unique<F>();
    form = created.get();
    forms_.push_back(std::move(created));
    form->Create();
    if (mainForm_ == nullptr) mainForm_ = form;
  }

  Form* MainForm() const noexcept { return mainForm_; }

  // Shows the main form and runs the message loop until the main form closes.
  void Run();

 private:
  std::unique_ptr<Window> window_;
  std::wstring title_;
  std::vector<std::unique_ptr<Form>> forms_;
  Form* mainForm_ = nullptr;
};

// The one application object; created on first use, so code that starts
// before the program's entry (a crash reporter installing its hooks) finds it.
Application& TheApplication();

}  // namespace rtl::gui
