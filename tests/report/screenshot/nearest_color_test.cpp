#include "crashreport/report/screenshot/nearest_color.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

#include "tests/report/screenshot/picture.h"

namespace tarvex {
namespace {

uint8_t BruteForceNearest(const std::vector<Rgb>& palette, Rgb color) {
  int best = 1 << 30;
  uint8_t index = 0;
  for (size_t i = 0; i < palette.size(); ++i) {
    const int dr = palette[i].Red - color.Red;
    const int dg = palette[i].Green - color.Green;
    const int db = palette[i].Blue - color.Blue;
    if (dr * dr + dg * dg + db * db < best) {
      best = dr * dr + dg * dg + db * db;
      index = static_cast<uint8_t>(i);
    }
  }
  return index;
}

Rgb RandomColor(std::mt19937& random, int levels) {
  const auto channel = [&] { return static_cast<uint8_t>(random() % levels * (255 / (levels - 1))); };
  return Rgb{channel(), channel(), channel()};
}

TEST(NearestColor, AgreesWithAFullSearchLowestIndexAmongEquals) {
  std::mt19937 random(3);
  // Coarse levels make equal distances and repeated entries common.
  for (const int levels : {2, 4, 18, 256}) {
    for (const size_t size : {1, 2, 17, 256}) {
      std::vector<Rgb> palette;
      for (size_t i = 0; i < size; ++i) palette.push_back(RandomColor(random, levels));
      NearestColor nearest(palette);
      for (int i = 0; i < 3000; ++i) {
        const Rgb color = RandomColor(random, i % 2 ? 256 : levels);
        ASSERT_EQ(nearest.IndexOf(color), BruteForceNearest(palette, color))
            << "levels " << levels << ", palette of " << size << ", colour " << int(color.Red) << ","
            << int(color.Green) << "," << int(color.Blue);
      }
    }
  }
}

TEST(ReduceTo256Colors, PictureOfAtMost256ColoursIsKeptExactly) {
  testsupport::Picture picture(61, 43);
  picture.Fill([](uint32_t x, uint32_t y) {
    const uint32_t n = (x * 7 + y * 13) % 256;  // all 256 values
    return Rgb{static_cast<uint8_t>(n), static_cast<uint8_t>(n * 3), static_cast<uint8_t>(255 - n)};
  });
  const IndexedImage reduced = ReduceTo256Colors(picture.View());
  ASSERT_EQ(reduced.Width, 61u);
  ASSERT_EQ(reduced.Height, 43u);
  EXPECT_EQ(reduced.Palette.size(), 256u);
  for (uint32_t y = 0; y < picture.Height(); ++y)
    for (uint32_t x = 0; x < picture.Width(); ++x)
      ASSERT_EQ(reduced.Palette[reduced.Indices[y * reduced.Width + x]], picture.At(x, y)) << x << "," << y;
}

TEST(ReduceTo256Colors, RicherPictureTakesTheNearestOfItsPalette) {
  testsupport::Picture picture(256, 256);
  picture.Fill([](uint32_t x, uint32_t y) {
    return Rgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>((x + y) / 2)};
  });
  const IndexedImage reduced = ReduceTo256Colors(picture.View());
  ASSERT_LE(reduced.Palette.size(), 256u);
  ASSERT_GT(reduced.Palette.size(), 128u);
  for (uint32_t y = 0; y < picture.Height(); y += 5)
    for (uint32_t x = 0; x < picture.Width(); x += 3)
      ASSERT_EQ(reduced.Indices[y * reduced.Width + x], BruteForceNearest(reduced.Palette, picture.At(x, y)));
}

}  // namespace
}  // namespace tarvex
