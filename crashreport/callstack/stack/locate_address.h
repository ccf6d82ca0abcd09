// Naming a code address: module, unit, class, procedure and line.
#pragma once

#include <cstdint>

#include "crashreport/callstack/stack/call_stack_context.h"

namespace tarvex {

// Fills `item` for `address`: the module's embedded line table first, then
// its external debug source, then its exported functions; an address in no
// module gets ilNone, one in a module with no better answer ilModule.
void LocateAddress(CallStackContext& context, uint32_t address, uint32_t threadID, TTarvexStackItem& item,
                   bool isExceptionPoint, uint8_t tag);

}  // namespace tarvex
