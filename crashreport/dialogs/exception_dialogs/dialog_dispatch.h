// ShowExceptionDialog's rules: which dialog the session's kind copy asks for,
// the error beep, the message box that stands in for a dialog that could not
// be shown, the restart request's confirmation, and the failure flag. The
// dialogs themselves and the system calls come in from outside, so the rules
// run the same with the real Windows dialogs and with recording ones.
#pragma once

#include <functional>

#include "crashreport/pipeline/handling/handling_services.h"

namespace tarvex {

using TDialogRunner = std::function<void(TDialogSession&)>;

// The three dialogs, each run modally on the calling thread. A runner sets
// `Shown` when its window painted, and the kind copy when it ends.
struct TDialogRunners {
  TDialogRunner MessageBox;  // shows the shown message; needs no kind change
  TDialogRunner Simple;
  TDialogRunner Detailed;
};

// What ShowExceptionDialog needs of the system around the dialogs.
class TDialogSurroundings {
 public:
  virtual ~TDialogSurroundings() = default;
  virtual void Enter() = 0;            // load the rich edit library, remember the foreground window
  virtual void Leave() = 0;            // bring that window back, release the library
  virtual void ErrorBeep() = 0;
  virtual bool IsNtFamily() const = 0;
  virtual void Warn(const char* message) = 0;  // the internal warning line
};

inline constexpr const char* kCannotShowDialog = "Cannot show the DialogBox window.";

void ShowExceptionDialog(TDialogSession& session, const TDialogRunners& runners, TDialogSurroundings& surroundings);

}  // namespace tarvex
