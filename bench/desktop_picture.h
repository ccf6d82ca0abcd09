// A deterministic 1920 x 1080 desktop-like picture for the screenshot
// benchmarks: a gradient wallpaper, a taskbar, windows with gradient title
// bars, lines of anti-aliased "text" and icons.
#pragma once

#include <cstdint>
#include <vector>

#include "crashreport/report/screenshot/bitmap_types.h"

namespace tarvex::bench {

inline constexpr uint32_t kDesktopWidth = 1920;
inline constexpr uint32_t kDesktopHeight = 1080;

// 256 colours exactly.
IndexedImage DesktopPicture256();

// The same desktop in 24-bit colour with a photograph-like window (smooth
// colour fields and sensor noise): tens of thousands of colours. Blue,
// green, red bytes; rows of 3 * width bytes, the top row first.
std::vector<uint8_t> DesktopPicture24();

}  // namespace tarvex::bench
