#include "tests/dialogs/detailed_dialog_driver_win.h"

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"

namespace tarvex::testing {

namespace {

constexpr auto kAppearLimit = std::chrono::seconds(90);  // qemu-user starts windows slowly
constexpr UINT kMessageLimitMs = 30000;

// The dialog of this process: a visible dialog-class window.
BOOL CALLBACK FindProcessDialog(HWND window, LPARAM found) {
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

HWND WaitForDialog(const std::atomic<bool>& dialogEnded) {
  const auto deadline = std::chrono::steady_clock::now() + kAppearLimit;
  while (std::chrono::steady_clock::now() < deadline && !dialogEnded) {
    HWND found = nullptr;
    EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return nullptr;
}

}  // namespace

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
    user.dialog_ = WaitForDialog(dialogEnded);
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

}  // namespace tarvex::testing
