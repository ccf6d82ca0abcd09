// The exception dialogs on Windows: the message box, the simple dialog and
// the detailed dialog behind ShowExceptionDialog, and the request dialog.
#pragma once

#include "crashreport/pipeline/handling/handling_services.h"
#include "crashreport/dialogs/exception_dialogs/dialog_dispatch.h"

namespace tarvex {

// The message box that shows the exception message (error icon, task-modal,
// topmost, service notification) under the caption of message text 3.
void RunMessageBox(TDialogSession& session);

// The message box, the simple dialog, and `detailed` for the detailed dialog.
TDialogRunners WindowsDialogRunners(TDialogRunner detailed);

class TWindowsDialogSurroundings : public TDialogSurroundings {
 public:
  void Enter() override;
  void Leave() override;
  void ErrorBeep() override;
  bool IsNtFamily() const override;
  void Warn(const char* message) override;

 private:
  void* richEdit_ = nullptr;
  void* foreground_ = nullptr;
};

class TWindowsExceptionDialogs : public TExceptionDialogs {
 public:
  explicit TWindowsExceptionDialogs(TDialogRunners runners) : runners_(std::move(runners)) {}

  void ShowExceptionDialog(TDialogSession& session) override;
  bool AskReproduceSteps(TDialogSession& session, std::string& steps) override;

 private:
  TDialogRunners runners_;
};

}  // namespace tarvex
