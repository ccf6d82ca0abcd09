#include "crashreport/callstack/debuginfo/data_key.h"

#include <algorithm>

#include "crashreport/base/util/little_endian.h"

namespace tarvex {

namespace {

uint32_t Fnv1a(std::string_view text, uint32_t hash = 2166136261u) {
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

}  // namespace

void ApplyDataKey(std::string_view key, uint8_t* bytes, size_t size) {
  uint32_t state = Fnv1a(key) ^ static_cast<uint32_t>(size) * 0x9E3779B9u;
  if (state == 0) state = 0x6D2B79F5u;
  for (size_t i = 0; i < size; ++i) {
    state ^= state << 13;  // xorshift32
    state ^= state >> 17;
    state ^= state << 5;
    bytes[i] ^= static_cast<uint8_t>(state >> 24);
  }
}

uint32_t DataKeyCheck(std::string_view key) { return Fnv1a(key, Fnv1a("TarvexLog data key")); }

std::vector<uint8_t> MakeDebugInformationBlock(std::span<const uint8_t> lineTable, std::string_view key) {
  const uint32_t check = DataKeyCheck(key);
  std::vector<uint8_t> block(4 + lineTable.size());
  PutLittleEndian32(block.data(), check);
  std::copy(lineTable.begin(), lineTable.end(), block.begin() + 4);
  return block;
}

std::span<const uint8_t> LineTableOfBlock(std::span<const uint8_t> block, std::string_view key, bool& dataValid) {
  dataValid = false;
  if (block.size() < 4) return {};
  const uint32_t check = LittleEndian32(block.data());
  dataValid = check == DataKeyCheck(key);
  return block.subspan(4);
}

}  // namespace tarvex
