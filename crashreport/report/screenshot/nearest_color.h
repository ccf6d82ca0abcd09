// The palette entry nearest to a colour: the least squared distance in RGB,
// the lowest index among equals (what the system's nearest-palette-index
// choice gives).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "crashreport/report/screenshot/bitmap_types.h"

namespace tarvex {

class NearestColor {
 public:
  // `palette` holds 1 to 256 entries.
  explicit NearestColor(const std::vector<Rgb>& palette);

  uint8_t IndexOf(Rgb color);

 private:
  struct Entry {
    int Red;
    int Green;
    int Blue;
    uint8_t Index;
  };
  uint8_t Search(Rgb color) const;

  std::vector<Entry> byGreen_;  // the palette sorted by green, then index
  // Answers already found, by a hash of the colour; pictures repeat colours.
  static constexpr size_t kCacheSize = 1 << 14;
  std::array<uint32_t, kCacheSize> cachedColor_;  // colour + 1 << 24 (0: empty)
  std::array<uint8_t, kCacheSize> cachedIndex_;
};

// The picture reduced to at most 256 colours: the octree's palette, and each
// pixel drawn as the nearest palette entry.
IndexedImage ReduceTo256Colors(const Bgr24View& image);

}  // namespace tarvex
