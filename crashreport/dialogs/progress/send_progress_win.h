// The send-progress dialog (template VX_Server): a status line and a bar
// from 0 to 100 that show what the delivery is doing. It runs on a thread of
// its own (TSendDialogThread), or modeless on the calling thread when the
// exception is handled inline there; the delivery writes into it by window
// messages. One progress dialog at a time, process-wide.
#pragma once

#include <windows.h>

#include <string>

namespace tarvex {

class TTarvexModuleOptions;

struct TProgressRequest {
  const TTarvexModuleOptions* Options = nullptr;  // texts and the flags that allow the dialog
  bool DialogsAllowed = true;  // the process may show dialogs, and not suppressed for this exception
  bool Inline = false;         // handled on the thread where the exception occurred
};

// Clears the progress state and, when allowed, opens the dialog and waits
// until it is ready (or could not be made). `topMost`: centred and topmost,
// else in the bottom-right corner of the placement rectangle.
void OpenProgress(const TProgressRequest& request, bool topMost);

// The numbers ShowStatus puts in front of its text: message `index` of `count`.
void SetMessageNumber(int index, int count);

// All of these do nothing when no progress window exists.
void ShowStatus(const std::string& text);       // "<Message> <index>/<count>: " + text
void ShowStatusPlain(const std::string& text);
void SetProgress(int percent);                   // never backwards
void ResetProgress();                            // back to 0, for a new connection
void AddProgress(int step);
void CloseProgress();

// The dialog of the current attempt (it stays named after the dialog closed,
// until the next OpenProgress), and whether it painted.
HWND ProgressWindow();
bool ProgressPainted();

// Runs the progress dialog modally on a thread of highest priority that
// frees itself when the dialog ends.
class TSendDialogThread {
 public:
  explicit TSendDialogThread(bool topMost) : topMost_(topMost) {}
  // Starts the thread; its handle (for waiting), or nullptr when none could be made.
  HANDLE Start();

 private:
  static DWORD WINAPI Body(void* self);
  bool topMost_;
};

}  // namespace tarvex
