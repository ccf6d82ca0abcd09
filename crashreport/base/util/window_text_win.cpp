#include "crashreport/base/util/window_text_win.h"

#include <algorithm>
#include <vector>

namespace tarvex {

std::string WindowTextWithoutWaiting(HWND window, int limit) {
  if (window == nullptr || limit <= 0) return {};
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    std::string text(static_cast<size_t>(limit) + 1, '\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextA(window, text.data(), limit + 1), 0)));
    return text;
  }
  std::vector<wchar_t> wide(static_cast<size_t>(limit) + 1, L'\0');
  const int length = InternalGetWindowText(window, wide.data(), limit + 1);
  if (length <= 0) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

}  // namespace tarvex
