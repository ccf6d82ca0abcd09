// What the stack walk and the address lookup need from their surroundings:
// the memory to read, the process's modules and the debug information. The
// program passes the live process (call_stack_context_win.h); tests pass a
// synthetic image.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/callstack/stack/stack_list.h"

namespace tarvex {

// The loaded modules by address.
class ModuleDirectory {
 public:
  virtual ~ModuleDirectory() = default;
  // The record of the module that holds `address`, created on first use;
  // null when the address lies in no module.
  virtual TTarvexModuleInfo* FindModuleInfo(uint32_t address) = 0;
  // Handle and file name of the module that holds `address`, without building
  // a record; false when there is none.
  virtual bool ModuleOf(uint32_t address, uint32_t& handle, std::string& fileName) = 0;
};

// One kind of debug information that can name code addresses of a module.
class DebugLookup {
 public:
  virtual ~DebugLookup() = default;
  // Fills InfoLevel, unit, class, procedure, Line and LinesIntoProc of `item`
  // when this source knows `address`; false (item untouched) otherwise.
  virtual bool Locate(TTarvexModuleInfo& module, uint32_t address, TTarvexStackItem& item) const = 0;
};

struct CallStackContext {
  const MemorySpace& memory;
  ModuleDirectory& modules;
  const DebugLookup* embedded = nullptr;  // the module's embedded line table, asked first
  const DebugLookup* external = nullptr;  // then its external debug source
  TTarvexFunctionsList::Sizer functionSize;  // measures exports whose size is not yet known
  // The host executable is the development environment, whose own frames
  // (without debug information, or its exception handling) are dropped.
  bool hostIsDevelopmentEnvironment = false;

  // The same surroundings, reading memory from `other`.
  CallStackContext ReadingFrom(const MemorySpace& other) const {
    return {other, modules, embedded, external, functionSize, hostIsDevelopmentEnvironment};
  }
};

}  // namespace tarvex
