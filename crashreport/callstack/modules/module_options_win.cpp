// The options of the process's modules, read when their records are built.
#include "crashreport/callstack/modules/module_options.h"
#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/base/util/loaded_modules_win.h"

namespace tarvex {
namespace {

// The module that holds this code: the program, or the library carrying its own crash reporter.
uint32_t ReporterModule() { return ModuleHandleOf(reinterpret_cast<const void*>(&ReporterModule)); }

}  // namespace

TTarvexModuleOptions& CurrentTarvexLogOptions() {
  const uint32_t running = ReporterModule();
  return RegisteredModuleOptions(&ModulesList(), running, ModuleFileName(running));
}

void LoadModuleOptions(TTarvexModuleInfo& module, const std::optional<EmbeddedData>& data) {
  try {
    module.Options = ReadModuleOptions(module.FileName, module.Handle, data, ReporterModule(), ProcessSharedBlocks());
  } catch (const std::exception&) {
    module.Options.reset();  // out of memory: the module counts as one without options
  }
}

}  // namespace tarvex
