// The exports of modules loaded in this process.
#pragma once

#include <cstdint>

#include "crashreport/callstack/modules/module_info.h"

namespace tarvex {

// Fills `list` from the export table of the module loaded at `handle`;
// forwarders are resolved with GetProcAddress. The main executable's exports
// are not listed: its own code is named by its debug information.
void ReadLoadedModuleExports(uint32_t handle, TTarvexFunctionsList& list);

}  // namespace tarvex
