#include "crashreport/report/screenshot/nearest_color.h"

#include <algorithm>
#include <limits>

#include "crashreport/report/screenshot/octree_quantizer.h"

namespace tarvex {

NearestColor::NearestColor(const std::vector<Rgb>& palette) {
  byGreen_.reserve(palette.size());
  for (size_t i = 0; i < palette.size(); ++i)
    byGreen_.push_back({palette[i].Red, palette[i].Green, palette[i].Blue, static_cast<uint8_t>(i)});
  std::sort(byGreen_.begin(), byGreen_.end(), [](const Entry& a, const Entry& b) {
    return a.Green != b.Green ? a.Green < b.Green : a.Index < b.Index;
  });
  cachedColor_.fill(0);
}

uint8_t NearestColor::IndexOf(Rgb color) {
  const uint32_t key = 1u << 24 | color.Red << 16 | color.Green << 8 | color.Blue;
  const size_t slot = (key * 2654435761u) >> 18 & (kCacheSize - 1);
  if (cachedColor_[slot] == key) return cachedIndex_[slot];
  const uint8_t index = Search(color);
  cachedColor_[slot] = key;
  cachedIndex_[slot] = index;
  return index;
}

// Walks outwards from the entries of the colour's green: once the green
// difference alone exceeds the best distance, no farther entry can win.
uint8_t NearestColor::Search(Rgb color) const {
  const auto start = std::lower_bound(byGreen_.begin(), byGreen_.end(), color.Green,
                                      [](const Entry& entry, int green) { return entry.Green < green; });
  int best = std::numeric_limits<int>::max();
  uint8_t bestIndex = 0;
  const auto consider = [&](const Entry& entry) {
    const int dr = entry.Red - color.Red;
    const int dg = entry.Green - color.Green;
    const int db = entry.Blue - color.Blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best || (distance == best && entry.Index < bestIndex)) {
      best = distance;
      bestIndex = entry.Index;
    }
  };
  const auto beyondReach = [&](const Entry& entry) {
    const int dg = entry.Green - color.Green;
    return dg * dg > best;
  };
  for (auto up = start; up != byGreen_.end() && !beyondReach(*up); ++up) consider(*up);
  for (auto down = start; down != byGreen_.begin() && !beyondReach(*(down - 1));) consider(*--down);
  return bestIndex;
}

IndexedImage ReduceTo256Colors(const Bgr24View& image) {
  OctreeQuantizer octree;
  octree.AddImage(image);
  IndexedImage reduced;
  reduced.Width = image.Width;
  reduced.Height = image.Height;
  reduced.Palette = octree.Palette();
  reduced.Indices.resize(size_t{image.Width} * image.Height);
  if (reduced.Palette.empty()) return reduced;
  NearestColor nearest(reduced.Palette);
  uint8_t* out = reduced.Indices.data();
  for (uint32_t y = 0; y < image.Height; ++y) {
    const uint8_t* pixel = image.Row(y);
    for (uint32_t x = 0; x < image.Width; ++x, pixel += 3) *out++ = nearest.IndexOf(Rgb{pixel[2], pixel[1], pixel[0]});
  }
  return reduced;
}

}  // namespace tarvex
