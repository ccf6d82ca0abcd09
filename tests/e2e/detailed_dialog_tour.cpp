// Tours the detailed dialog of the calculator's own failure for the
// documentation (scripts/detailed-dialog-screenshots.sh): types "12a" as a
// Shape, follows the details link, and saves the dialog as the screen shows
// it on each page, then collapsed, as 24-bit BMP files:
//
//   detailed_dialog_tour.exe OUTPUT_FOLDER
//
// writes OUTPUT_FOLDER\detailed-<general|callstack|modules|processes|assembler|cpu|collapsed>.bmp.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"
#include "tests/e2e/calc_driver.h"
#include "tests/e2e/crash_dialog_steps.h"

namespace {

const wchar_t* const kPageNames[] = {L"general", L"callstack", L"modules", L"processes", L"assembler", L"cpu"};

// Lets the dialog's thread paint everything that is due, then returns.
void WaitForPainting(HWND dialog) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_BLOCK, e2e::kWaitMs, &ignored);
}

// The window's rectangle as the screen shows it, as a bottom-up 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::wstring& path) {
  WaitForPainting(window);
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // positive: rows from the bottom, as BMP files keep them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  const int rows = GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                             DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

int Fail(const char* what) {
  std::fprintf(stderr, "detailed_dialog_tour: %s\n", what);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return Fail("usage: detailed_dialog_tour.exe OUTPUT_FOLDER");
  const std::wstring folder = std::wstring(argv[1]) + L"\\";
  try {
    e2e::CalcDriver calc;
    HWND simple = e2e::FailConversion(calc, L"12a");
    if (simple == nullptr) return Fail("the crash dialog did not appear");
    HWND detailed = e2e::FollowDetailsLink(calc, simple);
    if (detailed == nullptr) return Fail("the detailed dialog did not appear");
    SetForegroundWindow(detailed);
    for (int tab = 0; tab < 6; ++tab) {
      if (e2e::ShowPage(detailed, tab) == nullptr) {
        const std::string page(kPageNames[tab], kPageNames[tab] + wcslen(kPageNames[tab]));
        return Fail(("the page " + page + " of the detailed dialog stayed empty").c_str());
      }
      if (!SaveWindowPicture(detailed, folder + L"detailed-" + kPageNames[tab] + L".bmp"))
        return Fail("a picture could not be saved");
    }
    HWND tabs = GetDlgItem(detailed, VX_DETAILED_TABS);
    PostMessageW(GetDlgItem(detailed, VX_DETAILED_DETAILS), BM_CLICK, 0, 0);
    if (!e2e::WaitUntil([tabs] { return !IsWindowVisible(tabs); })) return Fail("the dialog did not collapse");
    if (!SaveWindowPicture(detailed, folder + L"detailed-collapsed.bmp")) return Fail("a picture could not be saved");
    if (!e2e::PressDialogButton(detailed, VX_DETAILED_OK)) return Fail("the dialog did not close");
    calc.CloseAndWait();
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  return 0;
}
