// PNG encoding of an 8-bit palette picture.
//
// Layout: the 8-byte signature, then chunks of
//   length (4 bytes, big-endian) | type (4 ASCII letters) | data | CRC-32 of type and data (big-endian)
//   IHDR  width, height (4 bytes each, big-endian), bit depth 8, colour type 3
//         (palette), compression 0, filter 0, interlace 0
//   PLTE  256 entries of red, green, blue; entries past the palette are black
//   IDAT  the zlib stream (deflate level 9) of the rows from the top, each the
//         filter byte 0 and then one palette index per pixel; cut into chunks
//         of kIdatChunkSize bytes, the rest in a last, shorter chunk
//   IEND  empty
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "crashreport/report/screenshot/bitmap_types.h"

namespace tarvex {

inline constexpr size_t kIdatChunkSize = 262143;

// The PNG file of `image` (width and height at least 1).
std::vector<uint8_t> EncodePng(const IndexedImage& image);

}  // namespace tarvex
