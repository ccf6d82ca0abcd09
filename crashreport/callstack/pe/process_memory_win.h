// The running process's own address space as a MemorySpace.
#pragma once

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

class ProcessMemorySpace : public MemorySpace {
 public:
  bool QueryRegion(uint32_t address, MemoryRegion& region) const override;
  void CopyReadable(uint32_t address, void* out, size_t size) const override;
};

// The one instance everything in the process shares.
const MemorySpace& ThisProcessMemory();

}  // namespace tarvex
