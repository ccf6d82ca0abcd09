#include "crashreport/callstack/pe/module_stream.h"

namespace tarvex {

bool THModuleStream::Read(void* out, uint32_t count) {
  if (count > size_ - position_ || uint64_t(base_) + position_ + count > 0x100000000ull) return false;
  if (!ReadMemory(memory_, base_ + position_, out, count)) return false;
  position_ += count;
  return true;
}

bool THModuleStream::ReadBlock(uint32_t position, uint32_t count, std::vector<uint8_t>& out) {
  if (!Seek(position)) return false;
  out.resize(count);
  if (Read(out.data(), count)) return true;
  out.clear();
  return false;
}

}  // namespace tarvex
