// hello_crash: a window with one button; pressing it writes where no
// program may write. The crash reporter, started by itself (TarvexLog::autostart),
// saves the report with this function, file and line in hello_crash.elf.
//
//   hello_crash.exe [--press]     --press: the button is pressed at start
#include <windows.h>

#include <cstring>

namespace {

constexpr int kButton = 1;
// The lowest 64 KB of a process are never mapped (volatile: the compiler
// does not see the value and writes as told).
char* volatile nowhere = reinterpret_cast<char*>(0x10);

__attribute__((noinline)) void WriteGreeting(char* where) {
  std::strcpy(where, "hello");  // an access violation
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kButton) WriteGreeting(nowhere);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"HelloCrash";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"HelloCrash", L"Hello, crash", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320,
                              160, nullptr, nullptr, instance, nullptr);
  HWND button = CreateWindowW(L"BUTTON", L"Crash", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 100, 40, 100, 30, window,
                              reinterpret_cast<HMENU>(kButton), instance, nullptr);
  ShowWindow(window, show);
  if (std::strstr(commandLine, "--press") != nullptr) PostMessageW(button, BM_CLICK, 0, 0);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
