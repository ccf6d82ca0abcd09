// The user's mail client as a delivery channel: a message handed to its
// Simple MAPI library, or a "mailto:" URL handed to its open command.
// Windows only (mapi_send_win.cpp, mailto_send_win.cpp).
#pragma once

#include <windows.h>

#include <string>

#include "crashreport/delivery/outcome/attachment.h"

namespace tarvex {

struct TClientMail {
  std::string Recipients;   // "a@b; c@d" as the options hold them
  std::string Subject;      // macros already expanded by the caller
  std::string Body;         // macros expanded; for MAPI the whole note text
  std::string ReportText;   // mailto: appended to the body after "\r\n\r\n\r\n"
  TAttachments Files;       // MAPI only (mailto carries no files); paths already expanded
  bool ShowDialog = false;  // MAPI_DIALOG: the client's compose window
  HWND Parent = nullptr;    // the program's main window when called on the main thread
};

// Hands the message to the registered mail client's Simple MAPI library
// (HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE "SOFTWARE\Clients\Mail"), or
// to "mapi32.dll". True when the client took the message. A failure is
// recorded with eeEmailMAPIError. When the user cancels the client's compose
// window the result is false, nothing is recorded and `*cancelled` (when
// given) becomes true: the message was not sent, yet the user chose so, and
// no other channel should ask again. The current directory is the same
// afterwards. Never raises.
bool SendByMAPI(const TClientMail& mail, bool* cancelled = nullptr);

// Starts the "mailto" open command with the URL of the recipients, the
// subject and the body followed by the report text (no files), shown
// maximised, makes its window top-most and waits for the process to end.
// True when the process was started and its end was seen. A failure is
// recorded with eeEmailShellError and the system's message. Never raises.
bool SendByMailto(const TClientMail& mail);

}  // namespace tarvex
