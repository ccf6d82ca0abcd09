#include "crashreport/callstack/pe/process_memory_win.h"

#include <windows.h>

#include <cstring>

namespace tarvex {

bool ProcessMemorySpace::QueryRegion(uint32_t address, MemoryRegion& region) const {
  MEMORY_BASIC_INFORMATION info;
  // Anything short of the full record is a failed query.
  if (VirtualQuery(reinterpret_cast<const void*>(uintptr_t(address)), &info, sizeof info) != sizeof info)
    return false;
  region.base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.BaseAddress));
  region.size = static_cast<uint32_t>(info.RegionSize);
  region.state = info.State;
  region.protect = info.Protect;
  return true;
}

void ProcessMemorySpace::CopyReadable(uint32_t address, void* out, size_t size) const {
  std::memcpy(out, reinterpret_cast<const void*>(uintptr_t(address)), size);
}

const MemorySpace& ThisProcessMemory() {
  static const ProcessMemorySpace memory;
  return memory;
}

}  // namespace tarvex
