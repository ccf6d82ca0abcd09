#include "tests/dialogs/dialog_driver_win.h"

#include <chrono>

namespace dialogs_test {
namespace {

constexpr auto kLimit = std::chrono::seconds(60);  // qemu-user starts and draws slowly
constexpr DWORD kPollMs = 20;

struct DialogSearch {
  const char* caption;
  HWND found = nullptr;
};

// A visible dialog of this process (ctest may run other dialog tests at the same time).
BOOL CALLBACK FindOwnDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[16];
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
      !GetClassNameA(window, className, sizeof className) || std::string(className) != "#32770" ||
      Text(window) != search->caption) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + kLimit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    Sleep(kPollMs);
  }
  return done();
}

bool DialogThread::Join() {
  if (!thread_.joinable()) return true;
  const bool ended = WaitUntil([this] { return returned_.load(); });
  if (ended) {
    thread_.join();
  } else {
    thread_.detach();  // a dialog that never ends fails the test, not the run
  }
  return ended;
}

HWND WaitForDialog(const char* caption) {
  DialogSearch search{caption};
  WaitUntil([&] {
    EnumWindows(&FindOwnDialog, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  HWND found = search.found;
  // As a user, act only on what is on the screen: the dialog has painted.
  if (found) UpdateWindow(found);
  return found;
}

bool WaitUntilGone(HWND window) {
  return WaitUntil([window] { return !IsWindow(window); });
}

std::string Text(HWND window) {
  char text[4096];
  const LRESULT length = SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::string(text, static_cast<size_t>(length));
}

std::string ItemText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

void TypeInto(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool ItemVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

RECT ItemRect(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string MessageBoxText(HWND box) { return ItemText(box, 0xFFFF); }

}  // namespace dialogs_test
