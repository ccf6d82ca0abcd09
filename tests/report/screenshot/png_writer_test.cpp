#include "crashreport/report/screenshot/png_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <random>

#include "tests/report/screenshot/png_checkers.h"
#include "tests/report/screenshot/png_decoder.h"

namespace tarvex {
namespace {

using testsupport::PngChunk;

std::filesystem::path WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

IndexedImage RandomImage(uint32_t width, uint32_t height, unsigned seed) {
  std::mt19937 random(seed);
  IndexedImage image{width, height, {}, {}};
  for (int i = 0; i < 256; ++i)
    image.Palette.push_back(Rgb{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                                static_cast<uint8_t>(random())});
  for (size_t i = 0; i < size_t{width} * height; ++i) image.Indices.push_back(static_cast<uint8_t>(random()));
  return image;
}

void ExpectPixelsOf(const IndexedImage& image, const testsupport::DecodedPicture& decoded) {
  ASSERT_EQ(decoded.Width, image.Width);
  ASSERT_EQ(decoded.Height, image.Height);
  ASSERT_EQ(decoded.Pixels.size(), image.Indices.size());
  for (size_t i = 0; i < image.Indices.size(); ++i)
    ASSERT_EQ(decoded.Pixels[i], image.Palette[image.Indices[i]]) << "pixel " << i;
}

// Golden bytes: the chunks around the image data, CRCs by an independent
// implementation.
TEST(PngWriter, HeaderPaletteAndEndChunks) {
  const IndexedImage image{1, 1, {{255, 0, 0}, {0, 0, 255}}, {1}};
  const std::vector<uint8_t> png = EncodePng(image);
  const std::vector<uint8_t> head{
      0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,                                   // signature
      0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 3, 0, 0, 0,         // 1 x 1, 8-bit palette
      0x28, 0xCB, 0x34, 0xBB,                                                        // CRC
      0, 0, 3, 0, 'P', 'L', 'T', 'E', 255, 0, 0, 0, 0, 255};                          // 256 entries
  ASSERT_GT(png.size(), head.size() + 762 + 4);
  EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + head.size()), head);
  const auto restOfPalette = png.begin() + head.size();
  EXPECT_EQ(std::vector<uint8_t>(restOfPalette, restOfPalette + 762), std::vector<uint8_t>(762, 0)) << "black entries";
  EXPECT_EQ(std::vector<uint8_t>(restOfPalette + 762, restOfPalette + 766), (std::vector<uint8_t>{0x80, 0xC0, 0x62, 0x84}));
  const std::vector<uint8_t> end{0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  EXPECT_EQ(std::vector<uint8_t>(png.end() - end.size(), png.end()), end);

  // The one IDAT between them: the zlib stream of filter byte 0 and index 1.
  const size_t idat = head.size() + 762 + 4;
  const uint32_t length = png[idat] << 24 | png[idat + 1] << 16 | png[idat + 2] << 8 | png[idat + 3];
  ASSERT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
  ASSERT_EQ(idat + 12 + length + end.size(), png.size());
  uint8_t rows[8];
  uLongf rowsSize = sizeof rows;
  ASSERT_EQ(uncompress(rows, &rowsSize, &png[idat + 8], length), Z_OK);
  EXPECT_EQ(std::vector<uint8_t>(rows, rows + rowsSize), (std::vector<uint8_t>{0, 1}));
}

TEST(PngWriter, LargeDataGoesInFullChunksThenTheRest) {
  const testsupport::TempFolder folder;
  const IndexedImage image = RandomImage(1024, 1024, 5);  // noise: about 1 MB compressed
  const auto path = WriteFile(folder / "noise.png", EncodePng(image));
  const testsupport::PngCheckReport check = testsupport::PngCheck(path);
  ASSERT_TRUE(check.Valid) << check.Output;
  ASSERT_GE(check.Chunks.size(), 5u) << check.Output;
  EXPECT_EQ(check.Chunks.front(), (PngChunk{"IHDR", 13}));
  EXPECT_EQ(check.Chunks[1], (PngChunk{"PLTE", 768}));
  EXPECT_EQ(check.Chunks.back(), (PngChunk{"IEND", 0}));
  const std::vector<PngChunk> data(check.Chunks.begin() + 2, check.Chunks.end() - 1);
  ASSERT_GE(data.size(), 4u);
  for (size_t i = 0; i + 1 < data.size(); ++i) EXPECT_EQ(data[i], (PngChunk{"IDAT", kIdatChunkSize})) << i;
  EXPECT_EQ(data.back().Type, "IDAT");
  EXPECT_GT(data.back().Length, 0u);
  EXPECT_LE(data.back().Length, kIdatChunkSize);
  ExpectPixelsOf(image, testsupport::DecodeWithImageMagick(path));
}

TEST(PngWriter, EverySizeDecodes) {
  const testsupport::TempFolder folder;
  for (const auto& [width, height] : std::vector<std::pair<uint32_t, uint32_t>>{
           {1, 1}, {1, 37}, {3, 5}, {4, 4}, {1000, 1}, {333, 222}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const IndexedImage image = RandomImage(width, height, width * 7 + height);
    const auto path = WriteFile(folder / "picture.png", EncodePng(image));
    const testsupport::PngCheckReport check = testsupport::PngCheck(path);
    ASSERT_TRUE(check.Valid) << check.Output;
    ExpectPixelsOf(image, testsupport::DecodeWithImageMagick(path));
    // The Windows tests' own reader agrees.
    const testsupport::DecodedPng ours = testsupport::DecodePng(EncodePng(image));
    ASSERT_EQ(ours.Error, "");
    ASSERT_EQ(ours.Pixels.size(), image.Indices.size());
    for (size_t i = 0; i < image.Indices.size(); ++i) ASSERT_EQ(ours.Pixels[i], image.Palette[image.Indices[i]]);
  }
}

}  // namespace
}  // namespace tarvex
