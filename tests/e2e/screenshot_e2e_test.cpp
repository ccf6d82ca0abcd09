// The screenshot of the running calculator, taken as the crash reporter
// takes it at exception time: the edit with the keyboard focus is framed in
// red and the mouse cursor is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>

#include "crashreport/report/screenshot/screenshot_win.h"
#include "tests/report/screenshot/png_decoder.h"
#include "tests/e2e/calc_driver.h"
#include "tests/e2e/pages.h"

namespace {

using e2e::CalcDriver;
using tarvex::Rgb;
using tarvex::ScreenshotMarks;
using tarvex::testsupport::DecodedPng;

bool WaitUntil(const std::function<bool()>& done) {
  for (int waited = 0; waited < 20000; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

DecodedPng TakeScreenshot(const ScreenshotMarks& marks) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string path =
      (std::filesystem::path(temp) / ("vx-calc-" + std::to_string(GetCurrentProcessId()) + ".png")).string();
  tarvex::TTarvexModuleOptions options;  // the program's windows on the desktop
  tarvex::CaptureScreenshot(options, marks);
  tarvex::SaveScreenshot(path);
  tarvex::FreeScreenshot();
  DecodedPng png = tarvex::testsupport::DecodePngFile(path);
  std::filesystem::remove(path);
  return png;
}

bool IsRed(Rgb pixel) { return pixel.Red >= 200 && pixel.Green <= 60 && pixel.Blue <= 60; }

bool Inside(const RECT& rect, int x, int y) { return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom; }

TEST(CalculatorScreenshot, FocusedEditFramedAndCursorDrawn) {
  CalcDriver calc;
  const e2e::ConverterPage page = calc.SelectPage(e2e::kClothingPage.index, e2e::kClothingPage.caption);
  const DWORD guiThread = GetWindowThreadProcessId(calc.MainWindow(), nullptr);
  // A click in the Shape edit gives it the focus, as the user's would.
  PostMessageW(page.shape, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(page.shape, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  ASSERT_TRUE(WaitUntil([&] { return tarvex::NoteScreenshotMarks(guiThread).Focus == page.shape; }));
  RECT results;
  GetWindowRect(page.results, &results);
  const POINT pointer{results.left + 40, results.top + 20};
  ASSERT_TRUE(SetCursorPos(pointer.x, pointer.y));
  ASSERT_TRUE(WaitUntil([&] {
    POINT at;
    return GetCursorPos(&at) && at.x == pointer.x && at.y == pointer.y;
  }));

  // The program sets its cursor when it sees the pointer arrive.
  ScreenshotMarks marks;
  ASSERT_TRUE(WaitUntil([&] {
    marks = tarvex::NoteScreenshotMarks(guiThread);
    return marks.Cursor != nullptr && marks.CursorAt.x == pointer.x && marks.CursorAt.y == pointer.y;
  }));
  ASSERT_EQ(marks.Focus, page.shape);
  const DecodedPng plain = TakeScreenshot({});
  const DecodedPng marked = TakeScreenshot(marks);
  ASSERT_EQ(plain.Error, "");
  ASSERT_EQ(marked.Error, "");
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  ASSERT_EQ(marked.Width, static_cast<uint32_t>(desktop.right - desktop.left));
  ASSERT_EQ(marked.Height, static_cast<uint32_t>(desktop.bottom - desktop.top));

  // The frame: the two outer rings of the edit's window rectangle.
  RECT edit;
  GetWindowRect(page.shape, &edit);
  int ringPixels = 0;
  int redBefore = 0;
  for (int y = edit.top; y < edit.bottom; ++y)
    for (int x = edit.left; x < edit.right; ++x) {
      const bool ring = x < edit.left + 2 || x >= edit.right - 2 || y < edit.top + 2 || y >= edit.bottom - 2;
      if (!ring) continue;
      ++ringPixels;
      ASSERT_TRUE(IsRed(marked.At(x, y))) << x << "," << y;
      redBefore += IsRed(plain.At(x, y));
    }
  EXPECT_LT(redBefore, ringPixels / 2) << "the frame was there without the mark";
  EXPECT_FALSE(IsRed(marked.At(edit.left + 2, (edit.top + edit.bottom) / 2))) << "the frame is two pixels wide";

  // The cursor: outside the edit (where the caret blinks), the pictures
  // differ only in one 32 x 32 square around the pointer (its place less the
  // cursor's hot spot).
  RECT changed{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  int changes = 0;
  for (int y = 0; y < static_cast<int>(marked.Height); ++y)
    for (int x = 0; x < static_cast<int>(marked.Width); ++x) {
      if (Inside(edit, x, y) || marked.At(x, y) == plain.At(x, y)) continue;
      changed = RECT{std::min<LONG>(changed.left, x), std::min<LONG>(changed.top, y), std::max<LONG>(changed.right, x + 1),
                     std::max<LONG>(changed.bottom, y + 1)};
      ++changes;
    }
  ASSERT_GE(changes, 20) << "no cursor drawn";
  EXPECT_LE(changed.right - changed.left, 32);
  EXPECT_LE(changed.bottom - changed.top, 32);
  EXPECT_TRUE(changed.left <= pointer.x && pointer.x < changed.left + 32 && changed.top <= pointer.y &&
              pointer.y < changed.top + 32)
      << "changes at " << changed.left << "," << changed.top << ", pointer at " << pointer.x << "," << pointer.y;
}

}  // namespace
