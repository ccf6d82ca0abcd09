#include "crashreport/callstack/pe/memory_space.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace tarvex {

namespace {

bool IsReadableProtection(uint32_t protect) {
  switch (protect) {
    case kPageReadOnly:
    case kPageReadWrite:
    case kPageWriteCopy:
    case kPageExecute:
    case kPageExecuteRead:
    case kPageExecuteReadWrite:
    case kPageExecuteWriteCopy:
      return true;
    default:
      return false;
  }
}

}  // namespace

uint32_t ReadableBytes(const MemorySpace& memory, uint32_t address, uint32_t size) {
  uint64_t count = 0;
  uint64_t next = address;
  do {
    MemoryRegion region;
    if (next > 0xFFFFFFFFu || !memory.QueryRegion(static_cast<uint32_t>(next), region)) return 0;
    if (region.state != kMemCommit || !IsReadableProtection(region.protect)) return 0;
    const uint64_t end = uint64_t(region.base) + region.size;
    if (end <= next) return 0;  // a region that does not cover the address: treat as unreadable
    count += end - next;
    next = end;
  } while (count < size);
  return count > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(count);
}

bool IsReadableBlock(const MemorySpace& memory, uint32_t address, uint32_t size) {
  return size <= ReadableBytes(memory, address, size);
}

bool ReadMemory(const MemorySpace& memory, uint32_t address, void* out, size_t size) {
  if (size == 0) return true;
  if (size > 0xFFFFFFFFu || !IsReadableBlock(memory, address, static_cast<uint32_t>(size))) return false;
  memory.CopyReadable(address, out, size);
  return true;
}

void BufferMemorySpace::Map(uint32_t base, std::vector<uint8_t> bytes, uint32_t protect) {
  if (bytes.empty() || uint64_t(base) + bytes.size() > 0x100000000ull)
    throw std::invalid_argument("block does not fit the 32-bit address space");
  blocks_[base] = Block{std::move(bytes), protect};
}

uint8_t& BufferMemorySpace::At(uint32_t address) {
  auto it = blocks_.upper_bound(address);
  if (it != blocks_.begin()) {
    --it;
    if (address - it->first < it->second.bytes.size()) return it->second.bytes[address - it->first];
  }
  throw std::out_of_range("address is not mapped");
}

bool BufferMemorySpace::QueryRegion(uint32_t address, MemoryRegion& region) const {
  auto after = blocks_.upper_bound(address);
  if (after != blocks_.begin()) {
    auto it = std::prev(after);
    const uint64_t end = uint64_t(it->first) + it->second.bytes.size();
    if (address < end) {
      region = {it->first, static_cast<uint32_t>(it->second.bytes.size()), kMemCommit, it->second.protect};
      return true;
    }
  }
  // Free memory up to the next block (or the end of the address space).
  const uint32_t freeStart = after == blocks_.begin() ? 0 : static_cast<uint32_t>(
      std::prev(after)->first + std::prev(after)->second.bytes.size());
  const uint64_t freeEnd = after == blocks_.end() ? 0x100000000ull : after->first;
  region = {freeStart, static_cast<uint32_t>(freeEnd - freeStart), 0x10000 /* free */, kPageNoAccess};
  return true;
}

void BufferMemorySpace::CopyReadable(uint32_t address, void* out, size_t size) const {
  auto* dest = static_cast<uint8_t*>(out);
  while (size > 0) {
    auto it = std::prev(blocks_.upper_bound(address));
    const size_t offset = address - it->first;
    const size_t chunk = std::min(size, it->second.bytes.size() - offset);
    std::memcpy(dest, it->second.bytes.data() + offset, chunk);
    dest += chunk;
    address += static_cast<uint32_t>(chunk);
    size -= chunk;
  }
}

}  // namespace tarvex
