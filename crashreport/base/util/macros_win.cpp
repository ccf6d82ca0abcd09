// Macro values of the running process: its environment, the user's short
// date and long time formats, its current directory.
#include <windows.h>

#include "crashreport/base/util/macros.h"

namespace tarvex {
namespace {

// Text from a call that answers the length it needs (with the terminating
// zero) when the buffer is too small, and the length written otherwise.
template <typename Call>
std::string GrowingText(Call call) {
  std::string text(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
    if (length == 0) return {};
    if (length < text.size()) return text.substr(0, length);
    text.assign(length + 1, '\0');  // the value may grow between two calls
  }
  return {};
}

// Date and time texts: the length written includes the terminating zero.
template <typename Call>
std::string FormattedNow(Call call) {
  char text[128];
  const int length = call(text, static_cast<int>(sizeof text));
  return length > 0 ? std::string(text, static_cast<size_t>(length) - 1) : std::string();
}

class ProcessValues final : public MacroValues {
 public:
  std::string Environment(const std::string& name) const override {
    return GrowingText([&](char* buffer, DWORD size) { return GetEnvironmentVariableA(name.c_str(), buffer, size); });
  }
  std::string ShortDate() const override {
    return FormattedNow([](char* buffer, int size) {
      return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, size);
    });
  }
  std::string LongTime() const override {
    return FormattedNow([](char* buffer, int size) {
      return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, size);
    });
  }
  std::string CurrentDirectory() const override {
    return GrowingText([](char* buffer, DWORD size) { return GetCurrentDirectoryA(size, buffer); });
  }
};

}  // namespace

const MacroValues& ProcessMacroValues() {
  static const ProcessValues values;
  return values;
}

}  // namespace tarvex
