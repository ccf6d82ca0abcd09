#include "tests/e2e/calc_driver.h"

#include <commctrl.h>

#include <stdexcept>

namespace e2e {

namespace {

constexpr DWORD kPollMs = 20;

// Polls `find` until it returns a window; nullptr when the time is up.
template <class Find>
HWND WaitFor(Find find) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = find()) != nullptr; });
  return window;
}

struct TopLevelSearch {
  DWORD processId;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId) search->windows.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  TopLevelSearch search{processId, {}};
  EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

bool IsMessageBox(HWND window) { return ClassName(window) == L"#32770" && IsWindowVisible(window); }

// A buffer in the program's memory: the system does not carry the structures
// of TCM_GETITEM, LVM_GETITEMTEXT or LVM_GETITEMRECT across processes, so
// they and their text buffers live in the program for the call.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, size_t size)
      : process_(process),
        base_(static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
    if (base_ == nullptr) throw std::runtime_error("cannot allocate in the program");
  }
  ~RemoteMemory() { VirtualFreeEx(process_, base_, 0, MEM_RELEASE); }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  char* At(size_t offset) const { return base_ + offset; }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(base_); }
  template <class T>
  void Write(const T& value) const { WriteProcessMemory(process_, base_, &value, sizeof value, nullptr); }
  bool Read(size_t offset, void* out, size_t size) const {
    return ReadProcessMemory(process_, base_ + offset, out, size, nullptr);
  }

 private:
  HANDLE process_;
  char* base_;
};

std::wstring TestFolder() {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  path.resize(path.rfind(L'\\') + 1);  // ...\tests\e2e\ (the build tree)
  return path;
}

}  // namespace

std::wstring ProgramFolder() { return TestFolder() + L"..\\..\\app\\"; }

std::wstring VariantFolder(const wchar_t* name) { return TestFolder() + name + L"\\"; }

bool WaitUntil(const std::function<bool()>& done) {
  for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
    if (done()) return true;
    Sleep(kPollMs);
  }
  return false;
}

HWND CalcDriver::WaitForDialog(const std::wstring& caption) const {
  return WaitFor([&]() -> HWND {
    for (HWND window : TopLevelWindowsOf(process_.dwProcessId))
      if (IsMessageBox(window) && WindowText(window) == caption) return window;
    return nullptr;
  });
}

std::optional<DWORD> CalcDriver::WaitForExit() const {
  if (WaitForSingleObject(process_.hProcess, 4 * kWaitMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

CalcDriver::CalcDriver(const std::wstring& folder) {
  const std::wstring path = folder + L"ZorvikCalc.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_))
    throw std::runtime_error("cannot start ZorvikCalc.exe, error " + std::to_string(GetLastError()));
  main_ = WaitFor([this]() -> HWND {
    for (HWND window : TopLevelWindowsOf(process_.dwProcessId))
      if (IsWindowVisible(window) && !IsMessageBox(window)) return window;
    return nullptr;
  });
  if (main_ == nullptr) throw std::runtime_error("ZorvikCalc.exe showed no window");
}

CalcDriver::~CalcDriver() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

DWORD CalcDriver::CloseAndWait() {
  PostMessageW(main_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, kWaitMs) != WAIT_OBJECT_0)
    throw std::runtime_error("ZorvikCalc.exe did not end after its window was closed");
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

HWND CalcDriver::TabControl() const { return FindWindowExW(main_, nullptr, WC_TABCONTROLW, nullptr); }

HWND CalcDriver::PageWindow(const std::wstring& caption) const {
  return FindWindowExW(TabControl(), nullptr, nullptr, caption.c_str());
}

ConverterPage CalcDriver::SelectPage(int index, const std::wstring& caption) const {
  // Moving the tab focus selects the tab and notifies the window, as the
  // arrow keys do.
  SendMessageW(TabControl(), TCM_SETCURFOCUS, index, 0);
  HWND page = PageWindow(caption);
  if (page == nullptr || !IsWindowVisible(page))
    throw std::runtime_error("the page of tab " + std::to_string(index) + " did not show");
  return {page, ChildAt(page, 122, 40), ChildAt(page, 122, 85), ChildAt(page, 122, 128),
          ChildAt(page, 80, 165), ChildAt(page, 14, 196)};
}

std::wstring CalcDriver::TabCaption(HWND tabs, int index) const {
  constexpr size_t kChars = 64;
  const RemoteMemory remote(process_.hProcess, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof(TCITEMW)));
  item.cchTextMax = kChars;
  remote.Write(item);
  wchar_t text[kChars] = {};
  if (SendMessageW(tabs, TCM_GETITEMW, index, remote.Address()) == 0 ||
      !remote.Read(sizeof(TCITEMW), text, sizeof text - sizeof(wchar_t)))
    throw std::runtime_error("cannot read tab " + std::to_string(index));
  return text;
}

std::vector<std::wstring> CalcDriver::ListViewRows(HWND list, int columns) const {
  constexpr size_t kChars = 512;
  const RemoteMemory remote(process_.hProcess, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  std::vector<std::wstring> rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    std::wstring cells;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof(LVITEMW)));
      item.cchTextMax = kChars;
      remote.Write(item);
      wchar_t text[kChars] = {};
      if (SendMessageW(list, LVM_GETITEMTEXTW, row, remote.Address()) > 0)
        remote.Read(sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t));
      cells += (column > 0 ? L"|" : L"") + std::wstring(text);
    }
    rows.push_back(cells);
  }
  return rows;
}

RECT CalcDriver::ListViewItemRect(HWND list, int row) const {
  const RemoteMemory remote(process_.hProcess, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  remote.Write(rect);
  if (SendMessageW(list, LVM_GETITEMRECT, row, remote.Address()) == 0 || !remote.Read(0, &rect, sizeof rect))
    throw std::runtime_error("cannot read the rectangle of row " + std::to_string(row));
  return rect;
}

std::vector<HWND> CalcDriver::OtherTopLevelWindows() const {
  std::vector<HWND> others;
  for (HWND window : TopLevelWindowsOf(process_.dwProcessId))
    if (window != main_) others.push_back(window);
  return others;
}

void CalcDriver::Click(HWND button) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kWaitMs, &result))
    throw std::runtime_error("the click was not handled in time (a message box open?)");
}

void CalcDriver::ClickAndGoOn(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::vector<HWND> CalcDriver::OpenDialogs() const {
  std::vector<HWND> dialogs;
  for (HWND window : TopLevelWindowsOf(process_.dwProcessId))
    if (IsMessageBox(window)) dialogs.push_back(window);
  return dialogs;
}

bool PressDialogButton(HWND dialog, int id) {
  PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
  return WaitUntil([dialog] { return !IsWindow(dialog); });
}

HWND ChildAt(HWND parent, int left, int top) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT r = RectInParent(child);
    if (r.left == left && r.top == top) return child;
  }
  return nullptr;
}

RECT RectInParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring WindowText(HWND window) {
  const auto length = static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64];
  const int n = GetClassNameW(window, name, 64);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

void SetWindowTextTo(HWND control, const std::wstring& text) {
  SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SelectItem(HWND comboBox, int index) { SendMessageW(comboBox, CB_SETCURSEL, index, 0); }

std::vector<std::wstring> ListItems(HWND comboBox) {
  std::vector<std::wstring> items;
  const auto count = static_cast<int>(SendMessageW(comboBox, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring item(static_cast<size_t>(SendMessageW(comboBox, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    const auto n = SendMessageW(comboBox, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(n > 0 ? static_cast<size_t>(n) : 0);
    items.push_back(item);
  }
  return items;
}

std::vector<std::wstring> Lines(HWND memo) {
  const std::wstring text = WindowText(memo);
  std::vector<std::wstring> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace e2e
