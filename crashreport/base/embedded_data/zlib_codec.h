// zlib (RFC 1950) compression for the embedded data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvex {

std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> bytes);

// Inflates one complete zlib stream. No value when the data is corrupt, cut
// short, followed by stray bytes, or inflates to more than `limit` bytes.
std::optional<std::vector<uint8_t>> ZlibDecompress(std::span<const uint8_t> bytes,
                                                   size_t limit = size_t{16} << 20);

}  // namespace tarvex
