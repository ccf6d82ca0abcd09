#include "crashreport/dialogs/exception_dialogs/exception_dialogs_win.h"

#include <windows.h>

#include "crashreport/base/options/options.h"
#include "crashreport/pipeline/handling/internal_errors.h"
#include "crashreport/dialogs/request/request_dialog_win.h"
#include "crashreport/dialogs/simple/simple_dialog_win.h"

namespace tarvex {
namespace {

// A dialog that raises is a dialog that was not shown: the failure stays inside.
TDialogRunner Guarded(TDialogRunner runner) {
  return [runner = std::move(runner)](TDialogSession& session) {
    try {
      if (runner) runner(session);
    } catch (...) {
      session.Shown = false;
    }
  };
}

}  // namespace

void RunMessageBox(TDialogSession& session) {
  constexpr UINT kFlags = MB_ICONHAND | MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION;  // 0x242010
  MessageBoxA(nullptr, session.ShownMessage.c_str(), session.Options->Text(mtErrorOccurred).c_str(), kFlags);
}

TDialogRunners WindowsDialogRunners(TDialogRunner detailed) {
  return {Guarded(&RunMessageBox), Guarded(&RunSimpleDialog), Guarded(std::move(detailed))};
}

void TWindowsDialogSurroundings::Enter() {
  richEdit_ = LoadLibraryA("RICHED20.DLL");
  foreground_ = GetForegroundWindow();
}

void TWindowsDialogSurroundings::Leave() {
  if (foreground_) SetForegroundWindow(static_cast<HWND>(foreground_));
  if (richEdit_) FreeLibrary(static_cast<HMODULE>(richEdit_));
  richEdit_ = foreground_ = nullptr;
}

void TWindowsDialogSurroundings::ErrorBeep() { MessageBeep(MB_ICONHAND); }

bool TWindowsDialogSurroundings::IsNtFamily() const {
  return (GetVersion() & 0x80000000u) == 0;  // the high bit marks the Windows 9x family
}

void TWindowsDialogSurroundings::Warn(const char* message) {
  OutputDebugStringA(InternalWarningLine("eeShowError", 0, message).c_str());
}

void TWindowsExceptionDialogs::ShowExceptionDialog(TDialogSession& session) {
  TWindowsDialogSurroundings surroundings;
  tarvex::ShowExceptionDialog(session, runners_, surroundings);
}

bool TWindowsExceptionDialogs::AskReproduceSteps(TDialogSession& session, std::string& steps) {
  if (!ShowRequestDialog(*session.Options)) return false;
  steps = session.Options->ReproductionSteps();
  return !steps.empty();
}

}  // namespace tarvex
