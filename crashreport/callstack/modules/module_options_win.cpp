// The options of the process's modules, read when their records are built.
#include <windows.h>

#include "crashreport/callstack/modules/module_options.h"
#include "crashreport/callstack/modules/modules_win.h"

namespace tarvex {
namespace {

// The module that holds this code: the program, or the library carrying its own crash reporter.
uint32_t ReporterModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<const char*>(&ReporterModule), &module);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module));
}

std::string FileNameOf(uint32_t handle) {
  char path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(uintptr_t(handle)), path, MAX_PATH);
  return std::string(path, length);
}

}  // namespace

TTarvexModuleOptions& CurrentTarvexLogOptions() {
  const uint32_t running = ReporterModule();
  return RegisteredModuleOptions(&ModulesList(), running, FileNameOf(running));
}

void LoadModuleOptions(TTarvexModuleInfo& module, const std::optional<EmbeddedData>& data) {
  try {
    module.Options = ReadModuleOptions(module.FileName, module.Handle, data, ReporterModule(), ProcessSharedBlocks());
  } catch (const std::exception&) {
    module.Options.reset();  // out of memory: the module counts as one without options
  }
}

}  // namespace tarvex
