// Acts as the user of a crash reporter dialog that runs modally on another
// thread: finds its window, types, clicks, reads texts. Everything goes
// through window messages; waits poll for windows with generous limits.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace dialogs_test {

// Runs `dialog` (a modal dialog call) on a thread of its own.
class DialogThread {
 public:
  explicit DialogThread(std::function<void()> dialog)
      : thread_([this, dialog = std::move(dialog)] {
          dialog();
          returned_ = true;
        }) {}
  ~DialogThread() { Join(); }
  // True when the dialog call returned in time (a generous limit).
  bool Join();

 private:
  std::atomic<bool> returned_{false};
  std::thread thread_;
};

// The visible, painted dialog window of this process with this caption;
// nullptr when none appears in time.
HWND WaitForDialog(const char* caption);
// True when the window is gone in time.
bool WaitUntilGone(HWND window);
bool WaitUntil(const std::function<bool()>& done);

std::string Text(HWND window);
std::string ItemText(HWND dialog, int id);
void TypeInto(HWND dialog, int id, const std::string& text);
// Presses the button without waiting for what it does (it may open a modal box).
void Click(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
RECT ItemRect(HWND dialog, int id);  // in the dialog's client area

// The text of a message box (its static text control).
std::string MessageBoxText(HWND box);

}  // namespace dialogs_test
