#include "crashreport/report/screenshot/png_writer.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <stdexcept>

namespace tarvex {

namespace {

constexpr std::array<uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kPaletteEntries = 256;

void PutBigEndian32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

// Appends chunks to the file's bytes. A chunk's data is written in place
// between Begin and End, so deflate can fill it directly.
class ChunkWriter {
 public:
  explicit ChunkWriter(std::vector<uint8_t>& out) : out_(out) {}

  // Reserves room for `capacity` data bytes; returns where they go.
  uint8_t* Begin(const char (&type)[5], size_t capacity) {
    start_ = out_.size();
    out_.resize(start_ + 8 + capacity + 4);
    std::memcpy(&out_[start_ + 4], type, 4);
    return &out_[start_ + 8];
  }
  // Closes the chunk with its first `size` data bytes.
  void End(size_t size) {
    PutBigEndian32(&out_[start_], static_cast<uint32_t>(size));
    const uLong crc = crc32(crc32(0, nullptr, 0), &out_[start_ + 4], static_cast<uInt>(size + 4));
    PutBigEndian32(&out_[start_ + 8 + size], static_cast<uint32_t>(crc));
    out_.resize(start_ + 8 + size + 4);
  }
  // Forgets the chunk begun last.
  void Drop() { out_.resize(start_); }
  void Whole(const char (&type)[5], const uint8_t* data, size_t size) {
    uint8_t* at = Begin(type, size);
    if (size > 0) std::memcpy(at, data, size);
    End(size);
  }

 private:
  std::vector<uint8_t>& out_;
  size_t start_ = 0;
};

class Deflater {
 public:
  Deflater() {
    if (deflateInit(&stream_, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit failed");
  }
  ~Deflater() { deflateEnd(&stream_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  z_stream& get() { return stream_; }

 private:
  z_stream stream_{};
};

// Deflates the rows into IDAT chunks, a new chunk each time one is full.
void WriteImageData(const IndexedImage& image, ChunkWriter& chunks) {
  Deflater deflater;
  z_stream& zs = deflater.get();
  const auto openChunk = [&] {
    zs.next_out = chunks.Begin("IDAT", kIdatChunkSize);
    zs.avail_out = kIdatChunkSize;
  };
  const auto feed = [&](const uint8_t* bytes, size_t size, int flush) {
    zs.next_in = const_cast<Bytef*>(bytes);
    zs.avail_in = static_cast<uInt>(size);
    for (;;) {
      const int result = deflate(&zs, flush);
      if (result == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
      if (zs.avail_out == 0) {
        chunks.End(kIdatChunkSize);
        openChunk();
        continue;
      }
      if (flush == Z_FINISH ? result == Z_STREAM_END : zs.avail_in == 0) return;
    }
  };

  openChunk();
  std::vector<uint8_t> row(size_t{image.Width} + 1, 0);  // filter byte 0, then the indices
  for (uint32_t y = 0; y < image.Height; ++y) {
    std::memcpy(&row[1], &image.Indices[size_t{y} * image.Width], image.Width);
    feed(row.data(), row.size(), Z_NO_FLUSH);
  }
  feed(nullptr, 0, Z_FINISH);
  const size_t rest = kIdatChunkSize - zs.avail_out;
  if (rest > 0)
    chunks.End(rest);
  else
    chunks.Drop();  // the data ended with a full chunk
}

}  // namespace

std::vector<uint8_t> EncodePng(const IndexedImage& image) {
  std::vector<uint8_t> file(kSignature.begin(), kSignature.end());
  ChunkWriter chunks(file);

  std::array<uint8_t, 13> header{};
  PutBigEndian32(&header[0], image.Width);
  PutBigEndian32(&header[4], image.Height);
  header[8] = 8;  // bits per palette index
  header[9] = 3;  // colour type: palette
  chunks.Whole("IHDR", header.data(), header.size());

  std::array<uint8_t, kPaletteEntries * 3> palette{};
  for (size_t i = 0; i < image.Palette.size() && i < kPaletteEntries; ++i) {
    palette[i * 3] = image.Palette[i].Red;
    palette[i * 3 + 1] = image.Palette[i].Green;
    palette[i * 3 + 2] = image.Palette[i].Blue;
  }
  chunks.Whole("PLTE", palette.data(), palette.size());

  WriteImageData(image, chunks);
  chunks.Whole("IEND", nullptr, 0);
  return file;
}

}  // namespace tarvex
