// libFuzzer target: any small picture, reduced to 256 colours and written as
// a PNG, reads back as the picture drawn with its palette: every pixel the
// nearest palette colour, and exactly itself where the picture has at most
// 256 colours.
//
// Input: byte 0 and 1 are the width and height less one (mod 64); then the
// pixels, blue, green, red, repeated from the start when the input ends.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "crashreport/report/screenshot/nearest_color.h"
#include "crashreport/report/screenshot/png_writer.h"
#include "tests/report/screenshot/png_decoder.h"

namespace {

using namespace tarvex;

int Distance(Rgb a, Rgb b) {
  const int dr = a.Red - b.Red, dg = a.Green - b.Green, db = a.Blue - b.Blue;
  return dr * dr + dg * dg + db * db;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint32_t width = data[0] % 64 + 1;
  const uint32_t height = data[1] % 64 + 1;
  const size_t stride = (width * 3 + 3) & ~3u;
  std::vector<uint8_t> pixels(stride * height);
  std::set<uint32_t> distinct;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* pixel = &pixels[y * stride + x * 3];
      for (int c = 0; c < 3; ++c) pixel[c] = data[2 + (size_t{y * width + x} * 3 + c) % (size - 2)];
      distinct.insert(pixel[0] | pixel[1] << 8 | pixel[2] << 16);
    }

  const IndexedImage reduced = ReduceTo256Colors(Bgr24View{pixels.data(), width, height, stride});
  Check(!reduced.Palette.empty() && reduced.Palette.size() <= 256);
  const testsupport::DecodedPng png = testsupport::DecodePng(EncodePng(reduced));
  Check(png.Error.empty() && png.Width == width && png.Height == height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* pixel = &pixels[y * stride + x * 3];
      const Rgb original{pixel[2], pixel[1], pixel[0]};
      const Rgb written = png.At(static_cast<int>(x), static_cast<int>(y));
      if (distinct.size() <= 256) Check(written == original);
      for (const Rgb& entry : reduced.Palette) Check(Distance(written, original) <= Distance(entry, original));
    }
  return 0;
}
