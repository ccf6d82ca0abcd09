// The surroundings of a walk in the live process: its memory, its modules
// list (modules_win.h) and their debug information.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/callstack/stack/call_stack_context.h"

namespace tarvex {

// The modules of this process as the walk sees them.
class ProcessModuleDirectory : public ModuleDirectory {
 public:
  TTarvexModuleInfo* FindModuleInfo(uint32_t address) override;
  bool ModuleOf(uint32_t address, uint32_t& handle, std::string& fileName) override;
};

// The live process: its memory, its modules and their debug information.
CallStackContext& ProcessCallStackContext();

}  // namespace tarvex
