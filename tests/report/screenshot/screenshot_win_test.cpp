// The screenshot of the program's windows under a real window system: the
// area rules, the marks and the file, read back by the test's PNG reader.
#include "crashreport/report/screenshot/screenshot_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "crashreport/base/options/option_types.h"
#include "tests/report/screenshot/png_decoder.h"
#include "tests/report/screenshot/picture.h"

namespace tarvex {
namespace {

using testsupport::DecodedPng;

constexpr DWORD kWaitMs = 20000;

// Pumps this thread's messages and polls `done` until it holds or the time is up.
template <class Condition>
bool WaitUntil(Condition done) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 20) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

Rgb ToRgb(COLORREF color) { return Rgb{GetRValue(color), GetGValue(color), GetBValue(color)}; }

Rgb ScreenPixel(int x, int y) {
  const HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return ToRgb(color);
}

LRESULT CALLBACK PaintOneColor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(window, &client);
    const HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA)));
    FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    DeleteObject(brush);
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A borderless, topmost window of one colour, shown until destroyed.
class ColorWindow {
 public:
  ColorWindow(RECT rect, COLORREF color) {
    static const ATOM kClass = [] {
      WNDCLASSW type{};
      type.lpfnWndProc = &PaintOneColor;
      type.hInstance = GetModuleHandleW(nullptr);
      type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      type.lpszClassName = L"VxScreenshotTestWindow";
      return RegisterClassW(&type);
    }();
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(kClass)), L"", WS_POPUP, rect.left,
                              rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, static_cast<LONG_PTR>(color));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    shown_ = WaitUntil([&] { return ScreenPixel(middle.x, middle.y) == ToRgb(color); });
  }
  ~ColorWindow() { DestroyWindow(window_); }
  ColorWindow(const ColorWindow&) = delete;
  ColorWindow& operator=(const ColorWindow&) = delete;

  HWND get() const { return window_; }
  bool Shown() const { return shown_; }

 private:
  HWND window_ = nullptr;
  bool shown_ = false;
};

class Screenshot : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::filesystem::path(temp) / ("vx-screenshot-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    FreeScreenshot();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  // Captures, saves and reads back the screenshot.
  DecodedPng Take(bool foregroundOnly, const ScreenshotMarks& marks = {}) {
    TTarvexModuleOptions options;
    options.SetSendFlags(foregroundOnly ? options.SendFlags() | sfScreenshotForegroundOnly
                                        : options.SendFlags() & ~sfScreenshotForegroundOnly);
    CaptureScreenshot(options, marks);
    const std::string path = PathOf("Screenshot.png");
    SaveScreenshot(path);
    FreeScreenshot();
    DecodedPng png = testsupport::DecodePngFile(path);
    std::filesystem::remove(path);
    return png;
  }

  std::filesystem::path folder_;
};

TEST_F(Screenshot, AreaIsTheUnionOfTheProgramsWindows) {
  const ColorWindow a({100, 120, 160, 160}, RGB(0, 128, 255));
  const ColorWindow b({300, 200, 340, 260}, RGB(200, 40, 90));
  ASSERT_TRUE(a.Shown() && b.Shown());
  const DecodedPng png = Take(false);
  ASSERT_EQ(png.Error, "");
  EXPECT_EQ(png.Width, 240u);
  EXPECT_EQ(png.Height, 140u);
  EXPECT_EQ(png.At(0, 0), (Rgb{0, 128, 255}));
  EXPECT_EQ(png.At(59, 39), (Rgb{0, 128, 255}));
  EXPECT_EQ(png.At(200, 80), (Rgb{200, 40, 90}));
  EXPECT_EQ(png.At(239, 139), (Rgb{200, 40, 90}));
}

TEST_F(Screenshot, OnePixelWideArea) {
  const ColorWindow line({400, 300, 401, 350}, RGB(10, 200, 30));
  ASSERT_TRUE(line.Shown());
  const DecodedPng png = Take(false);
  ASSERT_EQ(png.Error, "");
  EXPECT_EQ(png.Width, 1u);
  EXPECT_EQ(png.Height, 50u);
  for (int y = 0; y < 50; ++y) EXPECT_EQ(png.At(0, y), (Rgb{10, 200, 30})) << y;
}

TEST_F(Screenshot, WithoutVisibleWindowsTheWholeDesktop) {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  const DecodedPng png = Take(false);
  ASSERT_EQ(png.Error, "");
  EXPECT_EQ(png.Width, static_cast<uint32_t>(desktop.right - desktop.left));
  EXPECT_EQ(png.Height, static_cast<uint32_t>(desktop.bottom - desktop.top));
}

TEST_F(Screenshot, ForegroundOnlyTakesTheForegroundWindow) {
  const ColorWindow other({0, 0, 30, 30}, RGB(90, 90, 0));
  const ColorWindow front({50, 60, 250, 160}, RGB(120, 0, 160));
  ASSERT_TRUE(other.Shown() && front.Shown());
  SetForegroundWindow(front.get());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == front.get(); }));
  const DecodedPng png = Take(true);
  ASSERT_EQ(png.Error, "");
  EXPECT_EQ(png.Width, 200u);
  EXPECT_EQ(png.Height, 100u);
  EXPECT_EQ(png.At(0, 0), (Rgb{120, 0, 160}));
  EXPECT_EQ(png.At(199, 99), (Rgb{120, 0, 160}));
}

// A 32 x 32 cursor: an 8 x 8 black square at its top left, the rest clear.
HCURSOR BlackSquareCursor(int hotX, int hotY) {
  uint8_t andMask[32 * 4];
  uint8_t xorMask[32 * 4] = {};
  for (int row = 0; row < 32; ++row) {
    andMask[row * 4] = row < 8 ? 0x00 : 0xFF;
    andMask[row * 4 + 1] = andMask[row * 4 + 2] = andMask[row * 4 + 3] = 0xFF;
  }
  return CreateCursor(GetModuleHandleW(nullptr), hotX, hotY, 32, 32, andMask, xorMask);
}

TEST_F(Screenshot, FocusedControlIsFramedAndCursorDrawn) {
  const ColorWindow form({100, 100, 400, 300}, RGB(0, 160, 0));
  ASSERT_TRUE(form.Shown());
  const HWND edit = CreateWindowExW(0, L"EDIT", L"text", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 30, 120, 24, form.get(),
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
  SetFocus(edit);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(edit) && GetFocus() == edit; }));
  RECT frame;
  GetWindowRect(edit, &frame);
  ASSERT_EQ(frame.left, 120);
  ASSERT_EQ(frame.top, 130);

  // The pointer over the form.
  ASSERT_TRUE(SetCursorPos(303, 205));
  ScreenshotMarks marks;
  ASSERT_TRUE(WaitUntil([&] {
    marks = NoteScreenshotMarks(GetCurrentThreadId());
    return marks.Cursor != nullptr && marks.CursorAt.x == 303 && marks.CursorAt.y == 205;
  }));
  EXPECT_EQ(marks.Focus, edit);
  // A cursor whose pixels are known stands in for the one noted.
  const std::unique_ptr<std::remove_pointer_t<HCURSOR>, decltype(&DestroyCursor)> cursor(BlackSquareCursor(3, 5),
                                                                                        &DestroyCursor);
  marks.Cursor = cursor.get();  // the square covers 300..307 x 200..207
  const DecodedPng png = Take(false, marks);
  ASSERT_EQ(png.Error, "");
  ASSERT_EQ(png.Width, 300u);
  const auto at = [&](int screenX, int screenY) { return png.At(screenX - 100, screenY - 100); };
  const Rgb red{255, 0, 0};
  for (int x = frame.left; x < frame.right; ++x)
    for (int ring = 0; ring < 2; ++ring) {
      EXPECT_EQ(at(x, frame.top + ring), red) << x;
      EXPECT_EQ(at(x, frame.bottom - 1 - ring), red) << x;
    }
  for (int y = frame.top; y < frame.bottom; ++y)
    for (int ring = 0; ring < 2; ++ring) {
      EXPECT_EQ(at(frame.left + ring, y), red) << y;
      EXPECT_EQ(at(frame.right - 1 - ring, y), red) << y;
    }
  EXPECT_NE(at(frame.left + 2, frame.top + 10), red) << "the frame is two pixels wide";
  EXPECT_EQ(at(frame.left - 1, frame.top + 10), (Rgb{0, 160, 0})) << "the frame lies inside the rectangle";

  for (int y = 200; y < 208; ++y)
    for (int x = 300; x < 308; ++x) EXPECT_EQ(at(x, y), (Rgb{0, 0, 0})) << x << "," << y;
  EXPECT_EQ(at(308, 200), (Rgb{0, 160, 0}));
  EXPECT_EQ(at(300, 208), (Rgb{0, 160, 0}));
}

TEST_F(Screenshot, PathsThatCannotBeWrittenLeaveNoFile) {
  const ColorWindow window({10, 10, 50, 50}, RGB(1, 2, 3));
  ASSERT_TRUE(window.Shown());
  TTarvexModuleOptions options;
  std::filesystem::create_directory(folder_ / "a folder");
  SaveScreenshot(PathOf("before capture.png"));  // nothing captured yet
  CaptureScreenshot(options, {});
  SaveScreenshot("");
  SaveScreenshot(PathOf("missing folder\\Screenshot.png"));
  SaveScreenshot(PathOf("a folder"));
  FreeScreenshot();
  SaveScreenshot(PathOf("after free.png"));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"a folder"});
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "a folder"));
}

}  // namespace
}  // namespace tarvex
