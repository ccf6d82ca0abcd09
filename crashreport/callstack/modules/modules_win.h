// The process-wide modules list and how it is filled.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/callstack/modules/module_info.h"

namespace tarvex {

TTarvexModulesList& ModulesList();

// The record of the module that holds `address`, built on first use (with
// its debug information); null when the address lies in no module.
TTarvexModuleInfo* FindModuleInfo(uint32_t address);
// Builds the record of a loaded module and appends it to ModulesList().
TTarvexModuleInfo* AddModuleInfo(uint32_t handle, const std::string& fileName, bool loadDebugInfo);

enum class ModuleEnumeration {
  Automatic,      // by the system: ProcessStatus on the NT family, else ToolHelp
  ProcessStatus,  // EnumProcessModules
  ToolHelp,       // a module snapshot
};
// Drops unloaded modules, adds every loaded one not yet listed (without
// debug information), sorts by handle.
void RefreshModulesList(ModuleEnumeration how = ModuleEnumeration::Automatic);

}  // namespace tarvex
