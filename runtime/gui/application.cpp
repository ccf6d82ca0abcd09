#include "gui/application.h"

#include <commctrl.h>

#include "gui/wide_text.h"

namespace rtl::gui {

namespace {

class ApplicationWindow : public Window {
 public:
  void Create() { CreateWindowHandle(nullptr, WS_POPUP, 0, {0, 0, 0, 0}, L""); }
};

}  // namespace

Application::~Application() = default;

void Application::HandleException(const std::exception& error) { ShowException(error); }

void Application::ShowException(const std::exception& error) {
  HWND owner = mainForm_ != nullptr && mainForm_->Handle() != nullptr ? mainForm_->Handle() : Handle();
  MessageBoxW(owner, AnsiToWide(error.what()).c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

void Application::Initialize() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  auto window = std::make_unique<ApplicationWindow>();
  window->Create();
  window_ = std::move(window);
}

HWND Application::Handle() const noexcept { return window_ != nullptr ? window_->Handle() : nullptr; }

void Application::Run() {
  if (mainForm_ == nullptr) return;
  mainForm_->Show();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab and the arrow keys move between the form's controls.
    if (mainForm_->Handle() != nullptr && IsDialogMessageW(mainForm_->Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

Application& TheApplication() {
  static Application application;
  return application;
}

}  // namespace rtl::gui
