#include "crashreport/callstack/stack/call_stack_context_win.h"

#include "crashreport/callstack/disasm/instruction_length.h"
#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/stack/debug_lookups.h"
#include "crashreport/base/util/loaded_modules_win.h"

namespace tarvex {

TTarvexModuleInfo* ProcessModuleDirectory::FindModuleInfo(uint32_t address) { return tarvex::FindModuleInfo(address); }

bool ProcessModuleDirectory::ModuleOf(uint32_t address, uint32_t& handle, std::string& fileName) {
  handle = ModuleHandleOf(address);
  if (handle == 0) return false;
  fileName = ModuleFileName(handle);
  return true;
}

CallStackContext& ProcessCallStackContext() {
  static ProcessModuleDirectory modules;
  static CallStackContext context = [] {
    // Exports are measured the first time an address is looked up near them, without a limit.
    auto measure = [](uint32_t address) { return FunctionSize(ThisProcessMemory(), address, 0xFFFFFFFFu); };
    static const EmbeddedLineTableLookup embedded(ThisProcessMemory());
    static const ExternalSourceLookup external;
    return CallStackContext{ThisProcessMemory(), modules, &embedded, &external, measure, HostIsDevelopmentEnvironment()};
  }();
  return context;
}

}  // namespace tarvex
