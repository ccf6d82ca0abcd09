// An address space in which one range reads from a copy taken earlier (a
// thread's stack copied while the thread was suspended, or a saved stack),
// and everything else from another space (the live process).
#pragma once

#include <cstdint>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

class StackCopyMemory : public MemorySpace {
 public:
  // `bytes` (not owned) stand for [base, base + size).
  StackCopyMemory(const MemorySpace& under, uint32_t base, const uint8_t* bytes, uint32_t size);

  bool QueryRegion(uint32_t address, MemoryRegion& region) const override;
  void CopyReadable(uint32_t address, void* out, size_t size) const override;

 private:
  bool InCopy(uint64_t address) const { return address >= base_ && address < end_; }

  const MemorySpace& under_;
  uint32_t base_;
  uint64_t end_;
  const uint8_t* bytes_;
};

}  // namespace tarvex
