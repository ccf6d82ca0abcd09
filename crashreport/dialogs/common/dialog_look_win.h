// What the crash reporter's dialogs share on Windows: their fonts, where they
// are placed, the transparent bitmap drawing, staying in front of the
// program's own windows, and the auto-close count with the user activity
// that restarts it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// The module that carries the dialogs' templates and bitmaps (the one this code is linked into).
HINSTANCE DialogResourceModule();

// The dialog fonts, created from the system's message font; freed with the object.
struct TDialogFonts {
  HFONT normal = nullptr, bold = nullptr, underlined = nullptr, underlinedBold = nullptr;
  HFONT caption = nullptr;            // bold, caption height, in the bold face below
  HFONT fixed = nullptr, status = nullptr;  // two faces at a fixed point size

  TDialogFonts();
  ~TDialogFonts();
  TDialogFonts(const TDialogFonts&) = delete;
  TDialogFonts& operator=(const TDialogFonts&) = delete;
};

// Line height and text width in a font, measured on the window's DC.
class TTextMeter {
 public:
  explicit TTextMeter(HWND window);
  ~TTextMeter();
  TTextMeter(const TTextMeter&) = delete;
  TTextMeter& operator=(const TTextMeter&) = delete;
  int LineHeight(HFONT font);
  int Width(HFONT font, const std::string& text);

 private:
  HWND window_;
  HDC dc_;
};

// The length of the character at `pos` in the system code page (2 for a
// lead byte of a double-byte code page).
size_t SystemCharLength(std::string_view text, size_t pos);

// The work area of the monitor that shows the foreground window.
RECT PlacementRectangle();
void CentreOn(HWND window, const RECT& area);
void MoveToBottomRight(HWND window, const RECT& area);
void MakeTopmost(HWND window, bool topmost);

// Draws a bitmap with the colour of its top-left pixel left out.
void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y);

std::string ControlText(HWND dialog, int id);

// The top-level windows of this process when the dialog opened: while the
// dialog is not topmost it is brought back in front of them (windows opened
// later, such as message boxes, are left alone).
class TStayInFront {
 public:
  void Start(HWND dialog);
  void Check(bool dialogIsTopmost) const;

 private:
  HWND dialog_ = nullptr;
  std::vector<HWND> listed_;
};

// Counts seconds up to the configured time; every user action in the
// dialog (keyboard, mouse, commands) starts the count again. The count
// runs on the dialog's 1-second timer.
class TAutoClose {
 public:
  // `seconds` <= 0: never closes. Installs the activity watch on this thread.
  void Start(HWND dialog, UINT_PTR timerId, int seconds);
  void Stop();
  // On the timer: true when the time is up.
  bool Tick();
  void Restart() { count_ = 0; }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK WatchActivity(int code, WPARAM wParam, LPARAM lParam);
  HWND dialog_ = nullptr;
  UINT_PTR timerId_ = 0;
  int seconds_ = 0;
  int count_ = 0;
  HHOOK hook_ = nullptr;
  TAutoClose* outer_ = nullptr;  // the count of a dialog opened before this one on the thread
};

}  // namespace tarvex
