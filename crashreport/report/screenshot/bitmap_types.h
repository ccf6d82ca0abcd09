// Pictures as the screenshot code passes them between its steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvex {

struct Rgb {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A read-only view of 24-bit pixels laid out as in a 24-bit device-
// independent bitmap: blue, green, red bytes per pixel; rows `Stride` bytes
// apart, the top row first.
struct Bgr24View {
  const uint8_t* Pixels = nullptr;
  uint32_t Width = 0;
  uint32_t Height = 0;
  size_t Stride = 0;

  const uint8_t* Row(uint32_t y) const { return Pixels + y * Stride; }
};

// An 8-bit picture: at most 256 palette colours and one palette index per
// pixel, rows of `Width` indices without padding, the top row first.
struct IndexedImage {
  uint32_t Width = 0;
  uint32_t Height = 0;
  std::vector<Rgb> Palette;
  std::vector<uint8_t> Indices;
};

}  // namespace tarvex
