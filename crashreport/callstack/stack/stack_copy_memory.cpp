#include "crashreport/callstack/stack/stack_copy_memory.h"

#include <algorithm>
#include <cstring>

namespace tarvex {

StackCopyMemory::StackCopyMemory(const MemorySpace& under, uint32_t base, const uint8_t* bytes, uint32_t size)
    : under_(under), base_(base), end_(uint64_t(base) + size), bytes_(bytes) {}

bool StackCopyMemory::QueryRegion(uint32_t address, MemoryRegion& region) const {
  if (InCopy(address)) {
    region = {base_, static_cast<uint32_t>(end_ - base_), kMemCommit, kPageReadWrite};
    return true;
  }
  if (!under_.QueryRegion(address, region)) return false;
  // Cut the region underneath where the copy begins or ends.
  uint64_t start = region.base, end = uint64_t(region.base) + region.size;
  if (address < base_) end = std::min<uint64_t>(end, base_);
  if (address >= end_) start = std::max<uint64_t>(start, end_);
  region.base = static_cast<uint32_t>(start);
  region.size = static_cast<uint32_t>(end - start);
  return true;
}

void StackCopyMemory::CopyReadable(uint32_t address, void* out, size_t size) const {
  auto* dest = static_cast<uint8_t*>(out);
  uint64_t at = address;
  const uint64_t stop = at + size;
  while (at < stop) {
    const uint64_t partEnd = InCopy(at) ? std::min(stop, end_) : at < base_ ? std::min<uint64_t>(stop, base_) : stop;
    const size_t n = static_cast<size_t>(partEnd - at);
    if (InCopy(at))
      std::memcpy(dest, bytes_ + (at - base_), n);
    else
      under_.CopyReadable(static_cast<uint32_t>(at), dest, n);
    dest += n;
    at = partEnd;
  }
}

}  // namespace tarvex
