#include "crashreport/callstack/debuginfo/data_key_win.h"

#include <windows.h>

#include <algorithm>

#include "crashreport/callstack/debuginfo/data_key.h"

namespace tarvex {

namespace {

// The readable characters at `address` up to the end of their region, at most `limit`.
size_t ReadableTextLength(const char* address, size_t limit) {
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQuery(address, &region, sizeof region) != sizeof region || region.State != MEM_COMMIT) return 0;
  const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                         PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  if ((region.Protect & readable) == 0 || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) return 0;
  const auto* end = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
  return std::min<size_t>(limit, static_cast<size_t>(end - address));
}

}  // namespace

std::string ModuleDataKey(uint32_t module) {
  const auto* text = reinterpret_cast<const char*>(GetProcAddress(reinterpret_cast<HMODULE>(uintptr_t(module)), kDataKeyExport));
  if (!text) return {};
  const size_t readable = ReadableTextLength(text, kMaxDataKeyLength + 1);
  for (size_t i = 0; i < readable; ++i)
    if (text[i] == '\0') return std::string(text, i);
  return {};
}

}  // namespace tarvex
