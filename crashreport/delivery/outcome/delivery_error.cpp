#include "crashreport/delivery/outcome/delivery_error.h"

#include <array>

namespace tarvex {

namespace {

constexpr std::array<const char*, eeWebTrakerError + 1> kCodeNames = {
    "eeNone",           "eeShowError",    "eeLogError",      "eeEmailMAPIError", "eeEmailShellError",
    "eeEmailSMTPError", "eeWebHTTPError", "eeWebHTTPSError", "eeWebFTPError",    "eeWebTrakerError",
};

}  // namespace

const char* ErrorCodeName(TTarvexLogErrorCode code) {
  return code < kCodeNames.size() ? kCodeNames[code] : "eeNone";
}

bool ErrorShownInBox(TTarvexLogErrorCode code) { return code >= eeEmailSMTPError && code <= eeWebTrakerError; }

}  // namespace tarvex
