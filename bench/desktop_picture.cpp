#include "bench/desktop_picture.h"

#include <algorithm>
#include <random>

namespace tarvex::bench {

namespace {

// Palette layout: which entries each part of the desktop draws with.
constexpr int kWallpaper = 0, kWallpaperShades = 96;
constexpr int kChrome = 96, kChromeShades = 32;
constexpr int kText = 128, kTextShades = 16;
constexpr int kIcons = 144, kIconColors = 112;

std::vector<Rgb> DesktopPalette() {
  std::vector<Rgb> palette(256);
  for (int i = 0; i < kWallpaperShades; ++i)
    palette[kWallpaper + i] = Rgb{static_cast<uint8_t>(10 + i / 2), static_cast<uint8_t>(60 + i), static_cast<uint8_t>(120 + i)};
  for (int i = 0; i < kChromeShades; ++i) {
    const auto grey = static_cast<uint8_t>(120 + i * 4);
    palette[kChrome + i] = Rgb{grey, grey, static_cast<uint8_t>(std::min(255, grey + 8))};
  }
  for (int i = 0; i < kTextShades; ++i) {
    const auto grey = static_cast<uint8_t>(i * 17);
    palette[kText + i] = Rgb{grey, grey, grey};
  }
  std::mt19937 random(11);
  for (int i = 0; i < kIconColors; ++i)
    palette[kIcons + i] = Rgb{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), static_cast<uint8_t>(random())};
  return palette;
}

class Canvas {
 public:
  explicit Canvas(IndexedImage& image) : image_(image) {}
  void Fill(int left, int top, int right, int bottom, uint8_t index) {
    for (int y = std::max(top, 0); y < std::min<int>(bottom, image_.Height); ++y)
      for (int x = std::max(left, 0); x < std::min<int>(right, image_.Width); ++x) Set(x, y, index);
  }
  void Set(int x, int y, uint8_t index) { image_.Indices[size_t(y) * image_.Width + x] = index; }

 private:
  IndexedImage& image_;
};

void DrawWindow(Canvas& canvas, std::mt19937& random, int left, int top, int width, int height) {
  canvas.Fill(left - 1, top - 1, left + width + 1, top + height + 1, kChrome);  // border
  for (int x = 0; x < width; ++x)  // title bar: a horizontal gradient
    canvas.Fill(left + x, top, left + x + 1, top + 24, static_cast<uint8_t>(kChrome + 8 + x * 24 / width));
  canvas.Fill(left, top + 24, left + width, top + 52, kChrome + 28);        // toolbar
  for (int icon = 0; icon < width / 28 - 1; ++icon)                       // toolbar icons
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        canvas.Set(left + 8 + icon * 28 + x, top + 30 + y, static_cast<uint8_t>(kIcons + (icon * 5 + (x / 4) * 3 + y / 4) % kIconColors));
  canvas.Fill(left, top + 52, left + width, top + height, kText + kTextShades - 1);  // white page
  // Lines of text: glyph cells of 7 x 12 with anti-aliased strokes.
  for (int line = top + 60; line + 12 < top + height - 4; line += 18) {
    const int words = 4 + random() % 12;
    int x = left + 10;
    for (int word = 0; word < words && x < left + width - 80; ++word) {
      const int letters = 2 + random() % 8;
      for (int letter = 0; letter < letters; ++letter, x += 8) {
        const uint32_t glyph = random();
        for (int gy = 0; gy < 12; ++gy)
          for (int gx = 0; gx < 7; ++gx)
            if (glyph >> ((gx + gy * 3) % 32) & 1 && (gx + gy) % 3 != 0)
              canvas.Set(x + gx, line + gy, static_cast<uint8_t>(kText + (gx * 5 + gy * 3 + letter) % 12));
      }
      x += 8;
    }
  }
}

}  // namespace

IndexedImage DesktopPicture256() {
  IndexedImage image{kDesktopWidth, kDesktopHeight, DesktopPalette(),
                     std::vector<uint8_t>(size_t{kDesktopWidth} * kDesktopHeight)};
  Canvas canvas(image);
  for (uint32_t y = 0; y < kDesktopHeight; ++y)  // wallpaper: a vertical gradient
    canvas.Fill(0, y, kDesktopWidth, y + 1, static_cast<uint8_t>(kWallpaper + y * kWallpaperShades / kDesktopHeight));
  for (int icon = 0; icon < 8; ++icon)  // desktop icons
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x)
        canvas.Set(24 + x, 24 + icon * 90 + y, static_cast<uint8_t>(kIcons + (icon * 13 + x / 6 + (y / 6) * 8) % kIconColors));
  std::mt19937 random(5);
  DrawWindow(canvas, random, 180, 60, 1100, 760);
  DrawWindow(canvas, random, 900, 300, 900, 620);
  DrawWindow(canvas, random, 400, 500, 640, 480);
  canvas.Fill(0, kDesktopHeight - 40, kDesktopWidth, kDesktopHeight, kChrome + 4);  // taskbar
  for (int button = 0; button < 10; ++button)
    canvas.Fill(60 + button * 170, kDesktopHeight - 36, 220 + button * 170, kDesktopHeight - 4, kChrome + 12);
  return image;
}

std::vector<uint8_t> DesktopPicture24() {
  const IndexedImage desktop = DesktopPicture256();
  std::vector<uint8_t> pixels(size_t{kDesktopWidth} * kDesktopHeight * 3);
  for (size_t i = 0; i < desktop.Indices.size(); ++i) {
    const Rgb color = desktop.Palette[desktop.Indices[i]];
    pixels[i * 3] = color.Blue;
    pixels[i * 3 + 1] = color.Green;
    pixels[i * 3 + 2] = color.Red;
  }
  // A photograph in a window: smooth colour fields plus noise.
  std::mt19937 random(9);
  for (uint32_t y = 120; y < 620; ++y)
    for (uint32_t x = 240; x < 1040; ++x) {
      const int noise = static_cast<int>(random() % 9) - 4;
      const auto channel = [&](int value) { return static_cast<uint8_t>(std::clamp(value + noise, 0, 255)); };
      uint8_t* pixel = &pixels[(size_t(y) * kDesktopWidth + x) * 3];
      pixel[0] = channel(static_cast<int>(x * 255 / 1040));
      pixel[1] = channel(static_cast<int>((x + y) * 255 / 1660));
      pixel[2] = channel(static_cast<int>(y * 255 / 620));
    }
  return pixels;
}

}  // namespace tarvex::bench
