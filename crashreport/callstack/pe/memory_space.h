// A 32-bit address space that can be read without faulting.
//
// Everything that reads code or stack memory (the stack walk, the debug
// information readers, the disassembler, the hooks) goes through MemorySpace,
// so the same logic runs over the live process on Windows and over a
// synthetic image in a test on any host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace tarvex {

// One region as the system's memory query reports it.
struct MemoryRegion {
  uint32_t base = 0;
  uint32_t size = 0;
  uint32_t state = 0;    // kMemCommit when committed
  uint32_t protect = 0;  // page protection: kPage* values, possibly with modifier bits
};

inline constexpr uint32_t kMemCommit = 0x1000;
inline constexpr uint32_t kPageNoAccess = 0x01;
inline constexpr uint32_t kPageReadOnly = 0x02;
inline constexpr uint32_t kPageReadWrite = 0x04;
inline constexpr uint32_t kPageWriteCopy = 0x08;
inline constexpr uint32_t kPageExecute = 0x10;
inline constexpr uint32_t kPageExecuteRead = 0x20;
inline constexpr uint32_t kPageExecuteReadWrite = 0x40;
inline constexpr uint32_t kPageExecuteWriteCopy = 0x80;
inline constexpr uint32_t kPageGuard = 0x100;

class MemorySpace {
 public:
  virtual ~MemorySpace() = default;
  // Describes the region that contains `address`; false when the query fails.
  virtual bool QueryRegion(uint32_t address, MemoryRegion& region) const = 0;
  // Copies bytes the caller has found readable (see ReadMemory).
  virtual void CopyReadable(uint32_t address, void* out, size_t size) const = 0;
};

// Bytes readable from `address` onwards, summed over consecutive regions until
// at least `size` are found. A region counts only when committed and its
// protection is exactly one of the readable kinds (no guard or other modifier
// bit); an unreadable region ends the count at 0.
uint32_t ReadableBytes(const MemorySpace& memory, uint32_t address, uint32_t size);
bool IsReadableBlock(const MemorySpace& memory, uint32_t address, uint32_t size);

// Reads `size` bytes when they are all readable; false (and nothing copied) when not.
bool ReadMemory(const MemorySpace& memory, uint32_t address, void* out, size_t size);
template <typename T>
bool ReadValue(const MemorySpace& memory, uint32_t address, T& value) {
  return ReadMemory(memory, address, &value, sizeof value);
}

// A synthetic address space of byte blocks, for tests and for code read from
// files. Addresses outside every block are free (uncommitted) memory.
class BufferMemorySpace : public MemorySpace {
 public:
  // Maps `bytes` at `base` with the given protection; blocks must not overlap.
  void Map(uint32_t base, std::vector<uint8_t> bytes, uint32_t protect = kPageExecuteRead);
  // Writable access to a mapped byte, for building fixtures.
  uint8_t& At(uint32_t address);

  bool QueryRegion(uint32_t address, MemoryRegion& region) const override;
  void CopyReadable(uint32_t address, void* out, size_t size) const override;

 private:
  struct Block {
    std::vector<uint8_t> bytes;
    uint32_t protect;
  };
  std::map<uint32_t, Block> blocks_;  // by base address
};

}  // namespace tarvex
