#include "crashreport/callstack/hooks/code_writer.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "crashreport/callstack/hooks/trampoline.h"

namespace tarvex {

namespace {

struct PageProtection {
  uintptr_t page;
  DWORD protect;
};

void RestoreProtections(const std::vector<PageProtection>& pages) {
  DWORD ignored;
  for (const PageProtection& p : pages)
    VirtualProtect(reinterpret_cast<void*>(p.page), 1, p.protect, &ignored);
}

}  // namespace

bool WriteCode(void* address, const void* data, size_t size) {
  if (size == 0) return true;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const uintptr_t pageSize = system.dwPageSize;
  const uintptr_t first = reinterpret_cast<uintptr_t>(address) & ~(pageSize - 1);
  const uintptr_t last = (reinterpret_cast<uintptr_t>(address) + size - 1) & ~(pageSize - 1);

  // Page by page: pages of one range can have different protections, and
  // each must get its own back.
  std::vector<PageProtection> pages;
  for (uintptr_t page = first;; page += pageSize) {
    DWORD previous;
    if (!VirtualProtect(reinterpret_cast<void*>(page), 1, PAGE_EXECUTE_READWRITE, &previous)) {
      RestoreProtections(pages);
      return false;
    }
    pages.push_back({page, previous});
    if (page == last) break;
  }
  std::memcpy(address, data, size);
  RestoreProtections(pages);
  FlushInstructionCache(GetCurrentProcess(), address, size);
  return true;
}

bool WriteJump(void* from, const void* to) {
  const auto jump = JumpBytes(uint32_t(reinterpret_cast<uintptr_t>(from)), uint32_t(reinterpret_cast<uintptr_t>(to)));
  return WriteCode(from, jump.data(), jump.size());
}

}  // namespace tarvex
