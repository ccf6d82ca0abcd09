// Drives a running ZorvikCalc.exe the way a user would: finds its windows,
// types into edits, picks list entries, presses buttons, reads texts back.
// Everything goes through window messages from this separate process.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The controls of one converter page, found where the user sees them.
struct ConverterPage {
  HWND page;
  HWND packages;  // drop-down list of packages
  HWND material;  // material number edit
  HWND shape;     // Shape edit
  HWND convert;   // the "转换" button
  HWND results;   // result text area
};

// The folder of the program under test (the build tree's app folder), with a final "\\".
std::wstring ProgramFolder();
// The folder of a copy of the program with other crash reporter options
// (tests/e2e/<name>/ in the build tree), with a final "\\".
std::wstring VariantFolder(const wchar_t* name);

class CalcDriver {
 public:
  // Starts the program in `folder` (by default the one under test:
  // ProgramFolder()) and waits until its main window shows. Throws
  // std::runtime_error on failure.
  explicit CalcDriver(const std::wstring& folder = ProgramFolder());
  // Closes the program (and kills it if it does not end).
  ~CalcDriver();
  CalcDriver(const CalcDriver&) = delete;
  CalcDriver& operator=(const CalcDriver&) = delete;

  HWND MainWindow() const { return main_; }
  HWND TabControl() const;
  DWORD ProcessId() const { return process_.dwProcessId; }

  // Asks the main window to close and waits for the program to end; returns its exit code.
  DWORD CloseAndWait();

  // The page of the tab with this caption, without selecting it.
  HWND PageWindow(const std::wstring& caption) const;
  // Selects tab `index` as the keyboard does (the page switches) and returns
  // the page's controls.
  ConverterPage SelectPage(int index, const std::wstring& caption) const;
  // The caption of tab `index` of the main window's tab control, or of
  // another tab control of the program.
  std::wstring TabCaption(int index) const { return TabCaption(TabControl(), index); }
  std::wstring TabCaption(HWND tabs, int index) const;

  // Top-level windows of the program other than the main window.
  std::vector<HWND> OtherTopLevelWindows() const;

  // Presses the button and waits until its click has been handled.
  static void Click(HWND button);
  // Presses the button without waiting; for a click that opens a modal box.
  static void ClickAndGoOn(HWND button);

  // The program's visible dialog windows (message boxes included), now.
  std::vector<HWND> OpenDialogs() const;

  // The program's visible dialog window with this caption; nullptr when none appears in time.
  HWND WaitForDialog(const std::wstring& caption) const;
  // The rows of a list view of the program, each row's first `columns` cells joined by "|".
  std::vector<std::wstring> ListViewRows(HWND list, int columns) const;
  // Where a row of a list view of the program is, in the list's client coordinates.
  RECT ListViewItemRect(HWND list, int row) const;
  // Waits for the program to end (it may take long: a restart); its exit code, or nothing in time.
  std::optional<DWORD> WaitForExit() const;

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

// The direct child of `parent` whose top-left corner is at (left, top) in the
// parent's client area; nullptr when there is none.
HWND ChildAt(HWND parent, int left, int top);
// The control's rectangle in its parent's client area.
RECT RectInParent(HWND control);

// Waits until `done` holds (generous limit); false when the time is up.
bool WaitUntil(const std::function<bool()>& done);
// How long WaitUntil waits: generous, since under emulation a handling takes seconds.
inline constexpr DWORD kWaitMs = 60000;

// Presses a dialog's button and waits until the dialog is gone; false when it stays.
bool PressDialogButton(HWND dialog, int id);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
void SetWindowTextTo(HWND control, const std::wstring& text);

void SelectItem(HWND comboBox, int index);
std::vector<std::wstring> ListItems(HWND comboBox);

// The lines of a multi-line edit (empty text: no lines).
std::vector<std::wstring> Lines(HWND memo);

}  // namespace e2e
