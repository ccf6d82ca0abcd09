// Acts as the user of a detailed dialog that this process shows: a driver
// thread waits for the dialog to appear, reads its controls, clicks, and
// closes it, while the test's main thread runs the dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tarvex::testing {

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

}  // namespace tarvex::testing
