#include "crashreport/base/util/loaded_modules_win.h"

#include <windows.h>

#include <cctype>

#include "crashreport/base/util/file_names.h"

namespace tarvex {

uint32_t ModuleHandleOf(uint32_t address) { return ModuleHandleOf(reinterpret_cast<const void*>(uintptr_t(address))); }

uint32_t ModuleHandleOf(const void* code) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(code), &module))
    return 0;
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module));
}

std::string ModuleFileName(uint32_t handle) {
  const HMODULE module = reinterpret_cast<HMODULE>(uintptr_t(handle));
  // A name that fills the buffer may have been cut: ask again with more room.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::string path(size, '\0');
    const DWORD length = GetModuleFileNameA(module, path.data(), size);
    if (length < size) return path.substr(0, length);
  }
  return {};
}

bool HostIsDevelopmentEnvironment() {
  std::string host = ExtractFileName(ModuleFileName(0));
  for (char& c : host) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return host == "BDS.EXE";
}

}  // namespace tarvex
