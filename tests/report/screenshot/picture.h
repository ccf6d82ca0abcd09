// 24-bit test pictures laid out as the screen capture delivers them: blue,
// green, red bytes, rows padded to a multiple of 4 bytes, the top row first.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "crashreport/report/screenshot/bitmap_types.h"

namespace tarvex {
// GoogleTest prints colours as "(r,g,b)".
inline void PrintTo(const Rgb& color, std::ostream* out) {
  *out << '(' << int(color.Red) << ',' << int(color.Green) << ',' << int(color.Blue) << ')';
}
}  // namespace tarvex

namespace tarvex::testsupport {

class Picture {
 public:
  // Padding bytes hold `padding`, so a reader that strays into them shows.
  Picture(uint32_t width, uint32_t height, uint8_t padding = 0xA5)
      : width_(width), height_(height), stride_((size_t{width} * 3 + 3) & ~size_t{3}),
        bytes_(stride_ * height, padding) {}

  void Set(uint32_t x, uint32_t y, Rgb color) {
    uint8_t* pixel = &bytes_[y * stride_ + size_t{x} * 3];
    pixel[0] = color.Blue;
    pixel[1] = color.Green;
    pixel[2] = color.Red;
  }
  Rgb At(uint32_t x, uint32_t y) const {
    const uint8_t* pixel = &bytes_[y * stride_ + size_t{x} * 3];
    return Rgb{pixel[2], pixel[1], pixel[0]};
  }
  template <class ColorOf>
  void Fill(ColorOf colorOf) {
    for (uint32_t y = 0; y < height_; ++y)
      for (uint32_t x = 0; x < width_; ++x) Set(x, y, colorOf(x, y));
  }

  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  Bgr24View View() const { return Bgr24View{bytes_.data(), width_, height_, stride_}; }

 private:
  uint32_t width_;
  uint32_t height_;
  size_t stride_;
  std::vector<uint8_t> bytes_;
};

}  // namespace tarvex::testsupport
