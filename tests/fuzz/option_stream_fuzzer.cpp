// libFuzzer target: the option stream reader over arbitrary bytes, in the
// layout of every data version (input bytes 0-1, little-endian). Besides
// never crashing, never reading outside the bytes and never allocating by a
// stored length: whatever was read writes a stream that reads back and
// writes the same bytes again.
//
// Input byte 2 picks the stream: even, the rest of the input; odd, the stream
// of the default options with the rest of the input applied as 3-byte
// patches (offset, 2 bytes; new byte), which reaches the later fields that
// random bytes seldom get to.
#include <cstdint>
#include <cstdlib>

#include "crashreport/base/embedded_data/container.h"
#include "crashreport/base/options/options.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;

std::vector<uint8_t> Written(const TTarvexModuleOptions& options) {
  rtl::ByteWriter out;
  options.WriteToStream(out);
  return out.Take();
}

std::vector<uint8_t> PatchedDefaults(std::span<const uint8_t> patches) {
  static const std::vector<uint8_t> defaults = Written(TTarvexModuleOptions());
  std::vector<uint8_t> stream = defaults;
  for (size_t i = 0; i + 3 <= patches.size(); i += 3) {
    const size_t offset = static_cast<size_t>(patches[i] | patches[i + 1] << 8);
    if (offset < stream.size()) stream[offset] = patches[i + 2];
  }
  return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const auto version = static_cast<uint16_t>(data[0] | data[1] << 8);
  const std::span<const uint8_t> rest(data + 3, size - 3);
  const std::vector<uint8_t> stream = data[2] % 2 == 0 ? std::vector<uint8_t>(rest.begin(), rest.end())
                                                        : PatchedDefaults(rest);
  TTarvexModuleOptions options;
  rtl::ByteReader in(stream);
  try {
    options.ReadFromStream(in, version);
  } catch (const rtl::EReadError&) {
    // a cut stream: what was read stays
  }
  const std::vector<uint8_t> first = Written(options);
  TTarvexModuleOptions reread;
  rtl::ByteReader back(first);
  reread.ReadFromStream(back, kTarvexDataVersion);
  if (!back.AtEnd() || Written(reread) != first) std::abort();
  return 0;
}
