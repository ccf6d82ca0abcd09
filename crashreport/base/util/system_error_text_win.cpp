#include "crashreport/base/util/system_error_text_win.h"

#include "crashreport/base/util/text_case.h"

namespace tarvex {

std::string SystemErrorText(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof text, nullptr);
  const std::string_view message = TrimText(std::string_view(text, length));
  return message.empty() ? "error " + std::to_string(code) : std::string(message);
}

}  // namespace tarvex
