// The module's debug information as the address lookup asks it: first the
// embedded line table, then the external debug source.
#pragma once

#include "crashreport/callstack/stack/call_stack_context.h"

namespace tarvex {

// The module's embedded line table (TTarvexModuleInfo::LineInfo). The
// reporter's own units are named only by their module.
class EmbeddedLineTableLookup : public DebugLookup {
 public:
  // `memory` holds the module's code (the first-line rule reads it).
  explicit EmbeddedLineTableLookup(const MemorySpace& memory) : memory_(memory) {}
  bool Locate(TTarvexModuleInfo& module, uint32_t address, TTarvexStackItem& item) const override;

 private:
  const MemorySpace& memory_;
};

// The module's external debug source (TTarvexModuleInfo::DebugSource).
class ExternalSourceLookup : public DebugLookup {
 public:
  bool Locate(TTarvexModuleInfo& module, uint32_t address, TTarvexStackItem& item) const override;
};

}  // namespace tarvex
