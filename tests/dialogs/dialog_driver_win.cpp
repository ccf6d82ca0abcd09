#include "tests/dialogs/dialog_driver_win.h"

#include <commctrl.h>

#include <chrono>

#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"

namespace dialogs_test {
namespace {

constexpr auto kLimit = std::chrono::seconds(60);  // qemu-user starts and draws slowly
constexpr DWORD kPollMs = 20;
constexpr UINT kMessageLimitMs = 30000;

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

// The detailed dialog of this process: a visible dialog with the page tabs.
BOOL CALLBACK FindDetailedDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(className) == "#32770" &&
      GetDlgItem(window, VX_DETAILED_TABS)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
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

std::string DetailedDialogDriver::Text(int id) const {
  char text[1024] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutA(Item(id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                      kMessageLimitMs, &length);
  return text;
}

void DetailedDialogDriver::Click(int id) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, kMessageLimitMs, &result);
}

int DetailedDialogDriver::TabCount() const {
  return static_cast<int>(SendMessageA(Item(VX_DETAILED_TABS), TCM_GETITEMCOUNT, 0, 0));
}

std::string DetailedDialogDriver::TabCaption(int index) const {
  char text[128] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(Item(VX_DETAILED_TABS), TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

int DetailedDialogDriver::SelectedTab() const {
  return static_cast<int>(SendMessageA(Item(VX_DETAILED_TABS), TCM_GETCURSEL, 0, 0));
}

void DetailedDialogDriver::SelectTab(int index) const {
  SendMessageA(Item(VX_DETAILED_TABS), TCM_SETCURFOCUS, index, 0);
}

HWND DetailedDialogDriver::PageList() const {
  HWND page = FindWindowExA(Item(VX_DETAILED_TABS), nullptr, "#32770", nullptr);
  HWND content = page ? GetDlgItem(page, VX_PAGE_CONTENT) : nullptr;
  char className[64] = {};
  if (content) GetClassNameA(content, className, sizeof className);
  return std::string(className) == WC_LISTVIEWA ? content : nullptr;
}

std::vector<std::vector<std::string>> DetailedDialogDriver::ListRows(int columns) const {
  std::vector<std::vector<std::string>> rows;
  HWND list = PageList();
  if (!list) return rows;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (int column = 0; column < columns; ++column) {
      char text[512] = {};
      LVITEMA item{};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
      cells.emplace_back(text);
    }
  }
  return rows;
}

bool DriveDetailedDialog(const std::function<void(DetailedDialogDriver&)>& act,
                         const std::function<void()>& showDialog) {
  std::atomic<bool> dialogEnded = false, appeared = false;
  std::thread driver([&] {
    DetailedDialogDriver user;
    WaitUntil([&] {
      EnumWindows(FindDetailedDialog, reinterpret_cast<LPARAM>(&user.dialog_));
      return user.dialog_ != nullptr || dialogEnded;
    });
    if (!user.dialog_) return;
    appeared = true;
    act(user);
    // Whatever `act` did, the dialog must end for the test to go on.
    if (!dialogEnded && IsWindow(user.dialog_)) user.PressEscape();
  });
  showDialog();
  dialogEnded = true;
  driver.join();
  return appeared;
}

}  // namespace dialogs_test
