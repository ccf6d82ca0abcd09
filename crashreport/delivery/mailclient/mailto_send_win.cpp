#include <windows.h>

#include <string>

#include "crashreport/base/util/system_error_text_win.h"
#include "crashreport/base/util/win_handles_win.h"
#include "crashreport/delivery/mailclient/mail_client_registry_win.h"
#include "crashreport/delivery/mailclient/mail_client_win.h"
#include "crashreport/delivery/mailclient/mailto_url.h"
#include "crashreport/delivery/outcome/delivery_error.h"

namespace tarvex {

namespace {

constexpr DWORD kIdleWaitMs = 10000;
// The mail client's compose window may come up after its first idle moment.
constexpr DWORD kComposeWindowWaitMs = 2000;

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK TakeMainWindow(HWND window, LPARAM searchAddress) {
  auto* search = reinterpret_cast<WindowSearch*>(searchAddress);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  search->found = window;
  return FALSE;
}

// The process's first visible top-level window without an owner; nullptr
// when it has none (a launcher that handed the URL on, a console program).
HWND MainWindowOf(DWORD processId) {
  WindowSearch search{processId, nullptr};
  EnumWindows(TakeMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ShellFailed(DWORD error) {
  RecordDeliveryError(eeEmailShellError, SystemErrorText(error));
  return false;
}

}  // namespace

bool SendByMailto(const TClientMail& mail) {
  try {
    std::string commandLine = MailtoCommandLine(
        MailtoCommandTemplate(), MailtoUrl(mail.Recipients, mail.Subject, mail.Body, mail.ReportText));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &started))
      return ShellFailed(GetLastError());
    const win::KernelHandle process(started.hProcess), thread(started.hThread);

    // A process without a message queue is "idle" at once; the waits are
    // bounded either way, and only the wait for its end is not.
    WaitForInputIdle(process.get(), kIdleWaitMs);
    Sleep(kComposeWindowWaitMs);
    if (const HWND window = MainWindowOf(started.dwProcessId))
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    DWORD exitCode = 0;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &exitCode))
      return ShellFailed(GetLastError());
    return true;
  } catch (...) {  // only the texts' allocations can raise
    return ShellFailed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

}  // namespace tarvex
