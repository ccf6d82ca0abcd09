// Stands in for a mail client's "mailto" command in the tests. It appends its
// command line and the show command it was started with to the file that
// VX_MAILTO_RECORD names, shows a window, sets the event "vx_mailto_recorder"
// when that window is up, and ends when the window is made top-most
// ("topmost" recorded) or closed ("closed").
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr char kClassName[] = "VxMailtoRecorder";

void Record(const std::string& line) {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("VX_MAILTO_RECORD", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  if (FILE* file = std::fopen(path, "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

bool endRecorded = false;  // only the window's thread touches it

LRESULT CALLBACK RecorderWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_WINDOWPOSCHANGED:
      if (!endRecorded && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        endRecorded = true;
        Record("topmost");
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_DESTROY:
      if (!endRecorded) Record("closed");
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  Record(std::string("command=") + GetCommandLineA());
  Record("show=" + std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1));

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecorderWindow;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowExA(0, kClassName, "mailto recorder", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOWDEFAULT);  // as the starter asked
  if (const HANDLE shown = OpenEventA(EVENT_MODIFY_STATE, FALSE, "vx_mailto_recorder")) {
    SetEvent(shown);
    CloseHandle(shown);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
