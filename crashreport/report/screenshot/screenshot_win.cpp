#include "crashreport/report/screenshot/screenshot_win.h"

#include <algorithm>
#include <vector>

#include "crashreport/base/options/option_types.h"
#include "crashreport/report/screenshot/screenshot_file.h"

namespace tarvex {

namespace {

constexpr int kCursorSize = 32;
constexpr int kFrameWidth = 2;
constexpr COLORREF kFrameColor = RGB(255, 0, 0);

// The capture of the moment of the exception.
struct Capture {
  HWND Window = nullptr;  // whose device context the picture was copied from
  HDC WindowDC = nullptr;
  HDC MemoryDC = nullptr;
  HBITMAP Bitmap = nullptr;
  HPALETTE Palette = nullptr;  // palette displays only
  int Width = 0;
  int Height = 0;
  int RowSize = 0;  // the width rounded up to a multiple of 4
};
// Used only inside a handling, which THandlerLock makes one at a time.
Capture g_capture;

struct WindowSearch {
  DWORD ProcessId;
  RECT Union;
  bool Found;
};

BOOL CALLBACK UniteProgramWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  RECT rect;
  if (owner != search->ProcessId || !IsWindowVisible(window) || IsIconic(window) || !GetWindowRect(window, &rect))
    return TRUE;
  if (search->Found)
    UnionRect(&search->Union, &search->Union, &rect);
  else
    search->Union = rect;
  search->Found = true;
  return TRUE;
}

RECT VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The screen area of this program's windows; the desktop window's
// rectangle when they show nothing.
RECT ProgramArea(HWND desktop) {
  WindowSearch search{GetCurrentProcessId(), {}, false};
  EnumWindows(&UniteProgramWindow, reinterpret_cast<LPARAM>(&search));
  RECT area;
  if (search.Found) {
    const RECT screen = VirtualScreen();
    if (IntersectRect(&area, &search.Union, &screen)) return area;
  }
  GetWindowRect(desktop, &area);
  return area;
}

HPALETTE SystemPaletteCopy(HDC screen) {
  struct {
    LOGPALETTE Header;
    PALETTEENTRY More[255];
  } palette{};
  palette.Header.palVersion = 0x300;
  palette.Header.palNumEntries = 256;
  GetSystemPaletteEntries(screen, 0, 256, palette.Header.palPalEntry);
  return CreatePalette(&palette.Header);
}

void DrawFocusFrame(HDC dc, HWND focus, POINT origin) {
  RECT frame;
  if (focus == nullptr || !IsWindow(focus) || !GetWindowRect(focus, &frame)) return;
  OffsetRect(&frame, -origin.x, -origin.y);
  const HBRUSH red = CreateSolidBrush(kFrameColor);
  for (int ring = 0; ring < kFrameWidth; ++ring) {
    FrameRect(dc, &frame, red);
    InflateRect(&frame, -1, -1);
  }
  DeleteObject(red);
}

void DrawCursor(HDC dc, HCURSOR cursor, POINT at, POINT origin) {
  if (cursor == nullptr) return;
  ICONINFO info{};
  // Where cursor handles belong to their process (Wine), the cursor of
  // another program's window cannot be read: the standard arrow stands in.
  if (!GetIconInfo(cursor, &info)) {
    cursor = LoadCursorA(nullptr, IDC_ARROW);
    if (!GetIconInfo(cursor, &info)) return;
  }
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DrawIconEx(dc, at.x - static_cast<int>(info.xHotspot) - origin.x, at.y - static_cast<int>(info.yHotspot) - origin.y,
             cursor, kCursorSize, kCursorSize, 0, nullptr, DI_NORMAL);
}

}  // namespace

ScreenshotMarks NoteScreenshotMarks(DWORD guiThreadId) {
  ScreenshotMarks marks;
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(guiThreadId, &gui)) marks.Focus = gui.hwndFocus;
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  if (GetCursorInfo(&cursor) && (cursor.flags & CURSOR_SHOWING)) {
    marks.Cursor = cursor.hCursor;
    marks.CursorAt = cursor.ptScreenPos;
  }
  return marks;
}

void CaptureScreenshot(const TTarvexModuleOptions& options, const ScreenshotMarks& marks) {
  FreeScreenshot();
  Capture& c = g_capture;
  const HWND desktop = GetDesktopWindow();
  RECT area;
  POINT source;  // the area's corner in the copied window's device context
  if (options.SendFlags() & sfScreenshotForegroundOnly) {
    c.Window = GetForegroundWindow();
    if (c.Window == nullptr) c.Window = desktop;
    GetWindowRect(c.Window, &area);
    source = POINT{0, 0};
  } else {
    c.Window = desktop;
    area = ProgramArea(desktop);
    source = POINT{area.left, area.top};
  }
  c.Width = std::max<int>(1, area.right - area.left);
  c.Height = std::max<int>(1, area.bottom - area.top);
  c.RowSize = ((c.Width * 8 + 31) & ~31) / 8;

  c.WindowDC = GetWindowDC(c.Window);
  c.MemoryDC = CreateCompatibleDC(c.WindowDC);
  c.Bitmap = CreateCompatibleBitmap(c.WindowDC, c.RowSize, c.Height);
  const HGDIOBJ previous = SelectObject(c.MemoryDC, c.Bitmap);
  if (GetDeviceCaps(c.WindowDC, RASTERCAPS) & RC_PALETTE) {
    c.Palette = SystemPaletteCopy(c.WindowDC);
    SelectPalette(c.MemoryDC, c.Palette, FALSE);
    RealizePalette(c.MemoryDC);
  }
  BitBlt(c.MemoryDC, 0, 0, c.Width, c.Height, c.WindowDC, source.x, source.y, SRCCOPY);
  const POINT origin{area.left, area.top};
  DrawFocusFrame(c.MemoryDC, marks.Focus, origin);
  DrawCursor(c.MemoryDC, marks.Cursor, marks.CursorAt, origin);
  // The picture is read with GetDIBits, which wants it out of any context.
  SelectObject(c.MemoryDC, previous);
}

void SaveScreenshot(const std::string& path) {
  const Capture& c = g_capture;
  if (path.empty() || c.Bitmap == nullptr) return;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = c.RowSize;
  format.bmiHeader.biHeight = -c.Height;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  const size_t stride = ((static_cast<size_t>(c.RowSize) * 24 + 31) & ~size_t{31}) / 8;
  try {
    std::vector<uint8_t> pixels(stride * c.Height);
    if (GetDIBits(c.MemoryDC, c.Bitmap, 0, c.Height, pixels.data(), &format, DIB_RGB_COLORS) == 0) return;
    WriteScreenshotFile(Bgr24View{pixels.data(), static_cast<uint32_t>(c.Width), static_cast<uint32_t>(c.Height), stride},
                        path);
  } catch (...) {
    // Out of memory for the picture: there is no screenshot to attach.
  }
}

void FreeScreenshot() {
  Capture& c = g_capture;
  if (c.Palette) {
    SelectPalette(c.MemoryDC, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(c.Palette);
  }
  if (c.Bitmap) DeleteObject(c.Bitmap);
  if (c.MemoryDC) DeleteDC(c.MemoryDC);
  if (c.WindowDC) ReleaseDC(c.Window, c.WindowDC);
  c = Capture{};
}

}  // namespace tarvex
