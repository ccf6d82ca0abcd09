#include <windows.h>

#include <mutex>

#include "crashreport/delivery/outcome/delivery_error.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "crashreport/pipeline/handling/internal_errors.h"

namespace tarvex {

namespace {

struct LastError {
  std::mutex lock;  // a background delivery writes while a dialog may read
  TDeliveryError error;
  uint32_t address = 0;
};

LastError& Last() {
  static LastError last;
  return last;
}

}  // namespace

void ClearDeliveryError(uint32_t exceptionAddress) {
  LastError& last = Last();
  std::lock_guard<std::mutex> hold(last.lock);
  last.error = TDeliveryError{};
  last.address = exceptionAddress;
}

TDeliveryError LastDeliveryError() {
  LastError& last = Last();
  std::lock_guard<std::mutex> hold(last.lock);
  return last.error;
}

void RecordDeliveryError(TTarvexLogErrorCode code, const std::string& message) {
  try {
    uint32_t address = 0;
    {
      LastError& last = Last();
      std::lock_guard<std::mutex> hold(last.lock);
      last.error = TDeliveryError{code, message};
      address = last.address;
    }
    OutputDebugStringA(InternalWarningLine(ErrorCodeName(code), address, message).c_str());
    if (ErrorShownInBox(code) && ProgressWindow() != nullptr)
      MessageBoxA(nullptr, message.c_str(), "Error.",
                  MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION);
  } catch (...) {
    // Recording a failure must not become one.
  }
}

}  // namespace tarvex
