#include "crashreport/base/embedded_data/zlib_codec.h"

#include <zlib.h>

#include <stdexcept>

namespace tarvex {

std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib compression failed");
  out.resize(size);
  return out;
}

std::optional<std::vector<uint8_t>> ZlibDecompress(std::span<const uint8_t> bytes, size_t limit) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = const_cast<Bytef*>(bytes.data());
  z.avail_in = static_cast<uInt>(bytes.size());
  std::vector<uint8_t> out;
  uint8_t chunk[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = chunk;
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    const size_t produced = sizeof chunk - z.avail_out;
    if (out.size() + produced > limit) {
      status = Z_MEM_ERROR;
      break;
    }
    out.insert(out.end(), chunk, chunk + produced);
    if (status == Z_OK && produced == 0 && z.avail_in == 0) status = Z_BUF_ERROR;  // cut short
  }
  const bool complete = status == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  if (!complete) return std::nullopt;
  return out;
}

}  // namespace tarvex
