#include "crashreport/dialogs/exception_dialogs/dialog_dispatch.h"

namespace tarvex {
namespace {

// One showing of the kind the copy names; a message box or no dialog counts
// as shown at once.
void RunKind(TDialogSession& session, const TDialogRunners& runners) {
  session.Shown = false;
  switch (session.Kind) {
    case dkDetailed:
      runners.Detailed(session);
      break;
    case dkSimple:
      runners.Simple(session);
      break;
    case dkMessageBox:
      runners.MessageBox(session);
      session.Kind = dkNone;
      session.Shown = true;
      break;
    default:
      session.Shown = true;
      break;
  }
}

// Raises the acBeforeTerminate event for a restart (or terminate) request; true when a handler withdrew it.
bool RequestWithdrawn(TDialogSession& session) {
  if (!session.TerminateRequested || !session.ConfirmTerminate) return false;
  if (session.ConfirmTerminate()) return false;
  session.TerminateRequested = false;
  return true;
}

}  // namespace

void ShowExceptionDialog(TDialogSession& session, const TDialogRunners& runners, TDialogSurroundings& surroundings) {
  surroundings.Enter();
  if (session.Beep && session.Kind != dkMessageBox) surroundings.ErrorBeep();
  bool again = true;
  while (again) {
    RunKind(session, runners);
    if (!session.Shown && surroundings.IsNtFamily()) runners.MessageBox(session);
    again = RequestWithdrawn(session);
    if (!session.Shown) {
      surroundings.Warn(kCannotShowDialog);
      session.Kind = dkNone;
      session.Failed = true;
    }
  }
  surroundings.Leave();
}

}  // namespace tarvex
