// A small PNG reader for the tests that run where no image tools are: 8-bit
// palette pictures without row filters, as the screenshot writes them. Every
// chunk's CRC is checked.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "crashreport/report/screenshot/bitmap_types.h"

namespace tarvex::testsupport {

struct DecodedPng {
  std::string Error;  // empty when the file was read
  uint32_t Width = 0;
  uint32_t Height = 0;
  std::vector<std::pair<std::string, size_t>> Chunks;  // type and length, in file order
  std::vector<Rgb> Pixels;                             // rows from the top
  Rgb At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

DecodedPng DecodePng(const std::vector<uint8_t>& file);
DecodedPng DecodePngFile(const std::string& path);

}  // namespace tarvex::testsupport
