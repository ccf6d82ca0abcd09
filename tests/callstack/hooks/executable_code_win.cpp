#include "tests/callstack/hooks/executable_code_win.h"

#include <cstring>
#include <stdexcept>

namespace tarvex::testsupport {

ExecutableCode::ExecutableCode()
    : page_(static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
  if (!page_) throw std::runtime_error("cannot allocate a page for test code");
  std::memset(page_, 0xCC, 4096);
}

void ExecutableCode::Load(const std::vector<uint8_t>& code) {
  if (code.size() > 4096) throw std::runtime_error("test code larger than a page");
  std::memcpy(page_, code.data(), code.size());
  size_ = code.size();
  DWORD previous;
  VirtualProtect(page_, 4096, PAGE_EXECUTE_READ, &previous);
  FlushInstructionCache(GetCurrentProcess(), page_, 4096);
}

ExecutableCode::~ExecutableCode() { VirtualFree(page_, 0, MEM_RELEASE); }

DWORD ProtectionAt(const void* address) {
  MEMORY_BASIC_INFORMATION info;
  return VirtualQuery(address, &info, sizeof info) == sizeof info ? info.Protect : 0;
}

}  // namespace tarvex::testsupport
