// What went wrong in a delivery: the error codes of the crash reporter, and
// the last delivery error, which RecordDeliveryError keeps process-wide (one
// delivery runs at a time).
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

enum TTarvexLogErrorCode : uint8_t {
  eeNone,
  eeShowError,
  eeLogError,
  eeEmailMAPIError,
  eeEmailShellError,
  eeEmailSMTPError,
  eeWebHTTPError,
  eeWebHTTPSError,
  eeWebFTPError,
  eeWebTrakerError,
};

// The code's name as the warning line writes it ("eeEmailSMTPError").
const char* ErrorCodeName(TTarvexLogErrorCode code);

// Whether an error of `code` is shown in a box when the attempt had a progress
// dialog: SMTP and web errors are, MAPI and shell errors never.
bool ErrorShownInBox(TTarvexLogErrorCode code);

struct TDeliveryError {
  TTarvexLogErrorCode Code = eeNone;
  std::string Message;
};

// Forgets the last error; `exceptionAddress` goes into the warning lines of
// the errors that follow.
void ClearDeliveryError(uint32_t exceptionAddress);
TDeliveryError LastDeliveryError();

// Keeps the error as the last one, writes the warning line to the debugger
// output and, for ErrorShownInBox codes when the attempt opened a progress
// dialog, shows the message in a box titled "Error.". Never raises.
// Windows: delivery_error_win.cpp.
void RecordDeliveryError(TTarvexLogErrorCode code, const std::string& message);

}  // namespace tarvex
