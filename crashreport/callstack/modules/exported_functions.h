// A loaded module's export table as a list of named functions.
//
// Export directory (data directory 0; module-relative addresses, 40 bytes):
//   +0x14 NumberOfFunctions (4)   +0x18 NumberOfNames (4)
//   +0x1C AddressOfFunctions (4)    function table: one 4-byte address per ordinal index
//   +0x20 AddressOfNames (4)        name table: one 4-byte address of a zero-terminated name
//   +0x24 AddressOfNameOrdinals (4) ordinal table: one 2-byte function index per name
// A function address inside the directory's own range is a forwarder (the
// text "OTHERDLL.Name"), not code.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/callstack/modules/module_info.h"

namespace tarvex {

// Resolves a forwarded export the way the system loader does.
class ForwardedExportResolver {
 public:
  virtual ~ForwardedExportResolver() = default;
  // The address that `name` of the module at `handle` leads to; 0 when it leads nowhere.
  virtual uint32_t Resolve(uint32_t handle, const std::string& name) const = 0;
};

enum class ExportStubs {
  Keep,       // take every function address as it stands
  Windows9x,  // follow the 9x system's "push imm32; jmp" stubs to the pushed address
};

// Appends the named exports of the image loaded at `handle` to `list` and
// sorts it by address. Nothing is read unless 64 bytes at the handle and the
// whole code section are readable. Only the first min(NumberOfFunctions,
// NumberOfNames) names count; a name whose ordinal, function entry or text is
// unreadable or out of range is skipped, as is a forwarder that resolves to
// nothing. Size is 1 for an address below the code section, else 0 (measured
// later). Returns false when the image or its export table cannot be read.
bool ReadExportedFunctions(const MemorySpace& memory, uint32_t handle, TTarvexFunctionsList& list,
                           const ForwardedExportResolver& resolver, ExportStubs stubs);

}  // namespace tarvex
