// Independent checks of PNG files, by the tools of the build machine:
// pngcheck for the chunk layout and CRCs, ImageMagick for the pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "crashreport/report/screenshot/bitmap_types.h"
#include "tests/support/temp_folder.h"

namespace tarvex::testsupport {

struct PngChunk {
  std::string Type;
  size_t Length = 0;
  friend bool operator==(const PngChunk&, const PngChunk&) = default;
};

struct PngCheckReport {
  bool Valid = false;  // pngcheck found no error
  std::vector<PngChunk> Chunks;
  std::string Output;
};
PngCheckReport PngCheck(const std::filesystem::path& png);

struct DecodedPicture {
  uint32_t Width = 0;
  uint32_t Height = 0;
  std::vector<Rgb> Pixels;  // rows from the top
  Rgb At(uint32_t x, uint32_t y) const { return Pixels[size_t{y} * Width + x]; }
};
// ImageMagick's reading of the file; no pixels when it cannot read it.
DecodedPicture DecodeWithImageMagick(const std::filesystem::path& png);

}  // namespace tarvex::testsupport
