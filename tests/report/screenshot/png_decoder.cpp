#include "tests/report/screenshot/png_decoder.h"

#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace tarvex::testsupport {

namespace {

uint32_t BigEndian32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
}

DecodedPng Failed(DecodedPng png, std::string error) {
  png.Error = std::move(error);
  return png;
}

}  // namespace

DecodedPng DecodePng(const std::vector<uint8_t>& file) {
  DecodedPng png;
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return Failed(png, "no PNG signature");
  std::vector<uint8_t> palette;
  std::vector<uint8_t> compressed;
  bool ended = false;
  for (size_t at = 8; at < file.size();) {
    if (ended) return Failed(png, "data after IEND");
    if (file.size() - at < 12) return Failed(png, "chunk cut short");
    const uint32_t length = BigEndian32(&file[at]);
    if (file.size() - at - 12 < length) return Failed(png, "chunk cut short");
    const std::string type(file.begin() + at + 4, file.begin() + at + 8);
    const uint8_t* data = &file[at + 8];
    if (crc32(0, &file[at + 4], length + 4) != BigEndian32(data + length)) return Failed(png, "bad CRC in " + type);
    png.Chunks.emplace_back(type, length);
    if (type == "IHDR") {
      if (length != 13) return Failed(png, "IHDR length");
      png.Width = BigEndian32(data);
      png.Height = BigEndian32(data + 4);
      if (data[8] != 8 || data[9] != 3 || data[10] != 0 || data[11] != 0 || data[12] != 0)
        return Failed(png, "not an 8-bit palette picture without interlace");
    } else if (type == "PLTE") {
      palette.assign(data, data + length);
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), data, data + length);
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  if (!ended || png.Chunks.empty() || png.Chunks.front().first != "IHDR") return Failed(png, "chunks out of order");
  if (png.Width == 0 || png.Height == 0 || png.Width > 1 << 16 || png.Height > 1 << 16) return Failed(png, "size");

  const size_t rowSize = size_t{png.Width} + 1;
  std::vector<uint8_t> rows(rowSize * png.Height + 1);
  uLongf rowsSize = static_cast<uLongf>(rows.size());
  if (uncompress(rows.data(), &rowsSize, compressed.data(), static_cast<uLong>(compressed.size())) != Z_OK ||
      rowsSize != rowSize * png.Height)
    return Failed(png, "image data does not inflate to the rows");
  for (uint32_t y = 0; y < png.Height; ++y) {
    const uint8_t* row = &rows[y * rowSize];
    if (row[0] != 0) return Failed(png, "row filter " + std::to_string(row[0]));
    for (uint32_t x = 0; x < png.Width; ++x) {
      const size_t entry = size_t{row[1 + x]} * 3;
      if (entry + 3 > palette.size()) return Failed(png, "index beyond the palette");
      png.Pixels.push_back(Rgb{palette[entry], palette[entry + 1], palette[entry + 2]});
    }
  }
  return png;
}

DecodedPng DecodePngFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Failed({}, "cannot open " + path);
  return DecodePng({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

}  // namespace tarvex::testsupport
