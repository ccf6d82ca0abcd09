#include "crashreport/callstack/hooks/code_writer.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "crashreport/callstack/hooks/trampoline.h"

namespace tarvex {

namespace {

struct PageProtection {
  uintptr_t page;
  DWORD protect;
};

// Every write here covers at most two pages (code_writer.h), so their protections
// fit on the stack: nothing here allocates, as writing a jump while other
// threads are frozen (thread_freeze_win.h) requires.
constexpr size_t kMaxPages = 2;

void RestoreProtections(const PageProtection* pages, size_t count) {
  DWORD ignored;
  for (size_t i = 0; i < count; ++i) VirtualProtect(reinterpret_cast<void*>(pages[i].page), 1, pages[i].protect, &ignored);
}

uintptr_t PageSize() {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  return system.dwPageSize;
}

// Runs `write` with each page of the range (at most kMaxPages) made writable,
// each page getting its own protection back afterwards; then flushes the
// range from the processor's instruction cache.
template <typename Write>
bool WithWritablePages(void* address, size_t size, Write write) {
  const uintptr_t pageSize = PageSize();
  const uintptr_t first = reinterpret_cast<uintptr_t>(address) & ~(pageSize - 1);
  const uintptr_t last = (reinterpret_cast<uintptr_t>(address) + size - 1) & ~(pageSize - 1);
  if ((last - first) / pageSize >= kMaxPages) return false;

  // Page by page: pages of one range can have different protections, and
  // each must get its own back.
  PageProtection pages[kMaxPages];
  size_t count = 0;
  for (uintptr_t page = first;; page += pageSize) {
    DWORD previous;
    if (!VirtualProtect(reinterpret_cast<void*>(page), 1, PAGE_EXECUTE_READWRITE, &previous)) {
      RestoreProtections(pages, count);
      return false;
    }
    pages[count++] = {page, previous};
    if (page == last) break;
  }
  write();
  RestoreProtections(pages, count);
  FlushInstructionCache(GetCurrentProcess(), address, size);
  return true;
}

// lock cmpxchg8b: 8 bytes exchanged as one, whatever their alignment.
// Returns the bytes found, which equal `expected` when `desired` was written.
uint64_t CompareExchange8(void* at, uint64_t expected, uint64_t desired) {
  asm volatile("lock cmpxchg8b %1"
               : "+A"(expected), "+m"(*static_cast<volatile uint64_t*>(at))
               : "b"(uint32_t(desired)), "c"(uint32_t(desired >> 32))
               : "cc", "memory");
  return expected;
}

}  // namespace

bool WriteCode(void* address, const void* data, size_t size) {
  return size == 0 || WithWritablePages(address, size, [&] { std::memcpy(address, data, size); });
}

bool WritePointer(void** slot, void* value) {
  return WithWritablePages(slot, sizeof value, [&] { __atomic_store_n(slot, value, __ATOMIC_SEQ_CST); });
}

bool WriteCodeAtOnce(void* address, const void* data, size_t size) {
  constexpr size_t kWindow = sizeof(uint64_t);
  if (size > kWindow) return false;
  const uintptr_t at = reinterpret_cast<uintptr_t>(address);
  const uintptr_t aligned = at & ~uintptr_t(kWindow - 1);
  // An aligned window never leaves the page and is a true atomic on any host.
  auto* const window = reinterpret_cast<uint8_t*>(at - aligned + size <= kWindow ? aligned : at);
  const size_t offset = static_cast<uint8_t*>(address) - window;
  return WithWritablePages(window, kWindow, [&] {
    uint64_t expected;
    std::memcpy(&expected, window, kWindow);
    for (;;) {
      uint64_t desired = expected;
      std::memcpy(reinterpret_cast<uint8_t*>(&desired) + offset, data, size);
      const uint64_t found = CompareExchange8(window, expected, desired);
      if (found == expected) break;
      expected = found;  // a byte beside the range changed meanwhile: keep it as it is now
    }
  });
}

bool WriteJump(void* from, const void* to) {
  const auto jump = JumpBytes(uint32_t(reinterpret_cast<uintptr_t>(from)), uint32_t(reinterpret_cast<uintptr_t>(to)));
  return WriteCodeAtOnce(from, jump.data(), jump.size());
}

}  // namespace tarvex
