#include "crashreport/report/screenshot/octree_quantizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "tests/report/screenshot/picture.h"

namespace tarvex {
namespace {

std::vector<Rgb> PaletteOf(const std::vector<Rgb>& colors) {
  OctreeQuantizer octree;
  for (const Rgb& color : colors) octree.Add(color);
  return octree.Palette();
}

std::vector<Rgb> Reds(int first, int last) {
  std::vector<Rgb> reds;
  for (int red = first; red <= last; ++red) reds.push_back(Rgb{static_cast<uint8_t>(red), 0, 0});
  return reds;
}

std::vector<Rgb> operator+(std::vector<Rgb> a, const std::vector<Rgb>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(OctreeQuantizer, FewColoursAreKeptExactlyInTreeOrder) {
  // Tree order interleaves the bits from the top: red, green, blue.
  const std::vector<Rgb> added{{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {255, 255, 255}, {0, 0, 255}, {0, 0, 0}};
  EXPECT_EQ(PaletteOf(added), (std::vector<Rgb>{{0, 0, 0}, {0, 0, 255}, {255, 0, 0}, {255, 255, 255}}));
}

TEST(OctreeQuantizer, NoPixelsNoPalette) { EXPECT_TRUE(OctreeQuantizer().Palette().empty()); }

// 256 reds fill the tree; red pairs (2k, 2k+1) share a node at depth 7, the
// pair (254, 255) being the newest. The 257th colour makes one reduction.
struct ReductionCase {
  const char* name;
  std::vector<Rgb> added;
  std::vector<Rgb> palette;
};

void PrintTo(const ReductionCase& c, std::ostream* out) { *out << c.name; }

class OctreeReduction : public testing::TestWithParam<ReductionCase> {};

TEST_P(OctreeReduction, MergesTheNewestNodeOfTheDeepestLevel) {
  EXPECT_EQ(PaletteOf(GetParam().added), GetParam().palette);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OctreeReduction,
    testing::Values(
        // (0,0,1) joins the first pair's node: the newest node, (254, 255), is merged.
        ReductionCase{"NewestPairMerged", Reds(0, 255) + std::vector<Rgb>{{0, 0, 1}},
                      std::vector<Rgb>{{0, 0, 0}, {0, 0, 1}} + Reds(1, 254)},
        // The merged colour is the average of the pixels, rounded down:
        // (254 + 3 * 255) / 4 = 254.75.
        ReductionCase{"AverageOfPixels", Reds(0, 255) + Reds(255, 255) + Reds(255, 255) + std::vector<Rgb>{{0, 0, 1}},
                      std::vector<Rgb>{{0, 0, 0}, {0, 0, 1}} + Reds(1, 254)},
        // (0,0,2) makes a new depth-7 node with one child: reducing it leaves
        // the leaf count as it was, so the next newest, (254, 255), goes too.
        ReductionCase{"SingleChildNodeThenNext", Reds(0, 255) + std::vector<Rgb>{{0, 0, 2}},
                      Reds(0, 1) + std::vector<Rgb>{{0, 0, 2}} + Reds(2, 254)}),
    [](const testing::TestParamInfo<ReductionCase>& info) { return info.param.name; });

TEST(OctreeQuantizer, ReducedLeafTakesLaterPixels) {
  // Once (254, 255) is one leaf, more of its colours land in it: no new
  // leaf, no further reduction.
  const std::vector<Rgb> reduced = Reds(0, 255) + std::vector<Rgb>{{0, 0, 1}};
  const std::vector<Rgb> later = reduced + Reds(254, 255) + std::vector<Rgb>{{255, 1, 1}};
  EXPECT_EQ(PaletteOf(later), PaletteOf(reduced));
}

TEST(OctreeQuantizer, RichPictureStaysWithin256Colours) {
  std::mt19937 random(7);
  OctreeQuantizer octree;
  std::set<std::tuple<int, int, int>> distinct;
  for (int i = 0; i < 50000; ++i) {
    const Rgb color{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), static_cast<uint8_t>(random())};
    octree.Add(color);
    distinct.insert({color.Red, color.Green, color.Blue});
    ASSERT_LE(octree.LeafCount(), OctreeQuantizer::kMaxColors);
  }
  ASSERT_GT(distinct.size(), 40000u);
  const std::vector<Rgb> palette = octree.Palette();
  EXPECT_EQ(palette.size(), octree.LeafCount());
  EXPECT_GT(palette.size(), 200u);
}

TEST(OctreeQuantizer, ReadsPicturesRowByRowInBlueGreenRedOrder) {
  // Three pixels per row leave padding bytes, which must not be read.
  testsupport::Picture picture(3, 2, 0x77);
  picture.Fill([](uint32_t x, uint32_t y) { return Rgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200}; });
  OctreeQuantizer octree;
  octree.AddImage(picture.View());
  std::vector<Rgb> expected;
  for (uint8_t red : {0, 1, 2})
    for (uint8_t green : {0, 1}) expected.push_back(Rgb{red, green, 200});
  std::vector<Rgb> palette = octree.Palette();
  std::sort(palette.begin(), palette.end(),
            [](Rgb a, Rgb b) { return std::tie(a.Red, a.Green, a.Blue) < std::tie(b.Red, b.Green, b.Blue); });
  EXPECT_EQ(palette, expected);
}

}  // namespace
}  // namespace tarvex
