#include "crashreport/callstack/modules/exported_functions_win.h"

#include <windows.h>

#include "crashreport/callstack/modules/exported_functions.h"
#include "crashreport/callstack/pe/process_memory_win.h"

namespace tarvex {

namespace {

class ProcAddressResolver : public ForwardedExportResolver {
 public:
  uint32_t Resolve(uint32_t handle, const std::string& name) const override {
    const FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(uintptr_t(handle)), name.c_str());
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
  }
};

}  // namespace

void ReadLoadedModuleExports(uint32_t handle, TTarvexFunctionsList& list) {
  if (handle == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)))) return;
  const bool windows9x = GetVersion() >= 0x80000000u;
  ReadExportedFunctions(ThisProcessMemory(), handle, list, ProcAddressResolver(),
                        windows9x ? ExportStubs::Windows9x : ExportStubs::Keep);
}

}  // namespace tarvex
