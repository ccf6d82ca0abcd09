// Acts as the user of a crash reporter dialog that runs modally on another
// thread (the detailed dialog: DriveDetailedDialog): finds its window, types, clicks, reads texts. Everything goes
// through window messages; waits poll for windows with generous limits.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

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

// The detailed dialog shown by this process, acted on by a driver thread
// while the test's main thread runs the dialog.
class DetailedDialogDriver {
 public:
  HWND Dialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }

  std::string Text(int id) const;
  bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  // Presses a button and waits until the press has been handled.
  void Click(int id) const;
  // Presses a button that ends the dialog; the dialog's thread finishes it.
  void ClickToEnd(int id) const { PostMessageA(Item(id), BM_CLICK, 0, 0); }
  void PressEscape() const { PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0); }

  int TabCount() const;
  std::string TabCaption(int index) const;
  int SelectedTab() const;
  // Moves the tab focus as the arrow keys do: the page switches.
  void SelectTab(int index) const;
  // The list of the page shown now; nullptr for a rich-text page.
  HWND PageList() const;
  // The texts of every row the list shows, one vector of cells per row.
  std::vector<std::vector<std::string>> ListRows(int columns) const;

 private:
  friend bool DriveDetailedDialog(const std::function<void(DetailedDialogDriver&)>&, const std::function<void()>&);
  HWND dialog_ = nullptr;
};

// Runs `showDialog` on this thread while `act` drives the dialog from
// another one once it is visible. False when no dialog appeared within a
// generous limit (the driver then gives up and `act` does not run).
bool DriveDetailedDialog(const std::function<void(DetailedDialogDriver&)>& act,
                         const std::function<void()>& showDialog);

}  // namespace dialogs_test
