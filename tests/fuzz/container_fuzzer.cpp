// libFuzzer target: the embedded data container reader (ReadContainer) and
// the appended-container trailer (FindAppendedContainer,
// WithoutAppendedContainer) over arbitrary bytes. A container that reads
// writes one that reads back equal.
//
// Input byte 0 picks the form: even, the rest is a module file's tail or a
// container as stored; odd, the rest is an option stream that is put into a
// valid container of the version in bytes 1-2, which then gets the byte at
// the offset in bytes 3-4 replaced by byte 5 (the lengths and the zlib data
// of real containers are seldom found by chance).
#include <cstdint>
#include <cstdlib>

#include "crashreport/base/embedded_data/container.h"

namespace {

using namespace tarvex;

void Read(std::span<const uint8_t> bytes) {
  const auto data = ReadContainer(bytes);
  if (!data) return;
  const std::vector<uint8_t> written = WriteContainer(*data);
  if (ReadContainer(written) != data) std::abort();
}

void StoredBytes(std::span<const uint8_t> bytes) {
  Read(bytes);
  const auto appended = FindAppendedContainer(bytes);
  const bool inside = appended.empty() || (appended.data() >= bytes.data() &&
                                           appended.data() + appended.size() <= bytes.data() + bytes.size());
  if (!inside) std::abort();
  Read(appended);
  const auto rest = WithoutAppendedContainer(bytes);
  if (rest.size() > bytes.size()) std::abort();
}

void DamagedContainer(std::span<const uint8_t> input) {
  if (input.size() < 5) return;
  EmbeddedData data;
  data.version = static_cast<uint16_t>(input[0] | input[1] << 8);
  data.hooks = {{1, 0x1000, 0x20}, {2, 0x2000, 0x10}};
  data.optionStream.assign(input.begin() + 5, input.end());
  data.debugInfo = {0xDE, 0xBB};
  std::vector<uint8_t> container = WriteContainer(data);
  const size_t offset = static_cast<size_t>(input[2] | input[3] << 8);
  if (offset < container.size()) container[offset] = input[4];
  StoredBytes(container);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  if (data[0] % 2 == 0) {
    StoredBytes(rest);
  } else {
    DamagedContainer(rest);
  }
  return 0;
}
