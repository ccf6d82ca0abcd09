// The import address table of a loaded module, read through a MemorySpace.
//
// Image layout used (PE32, as mapped by the loader; all offsets are RVAs):
//   module+0     "MZ" ... +0x3C: offset of the NT headers (64 bytes checked)
//   NT headers   "PE\0\0", file header, optional header (248 bytes checked);
//                NT+0x80 import directory RVA, NT+0x84 its size
//   import directory: 20-byte descriptors ending with a zero one:
//                +12 RVA of the imported module's name, +16 RVA of its
//                address table: 4-byte routine addresses ending with 0
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

enum class ImportScan {
  kScanned,            // the import directory was read
  kBadImage,           // no valid image headers at the module address
  kNoImportDirectory,  // valid headers, but the module imports nothing
};

// Module names compare without regard to ASCII case, whatever the locale.
bool SameModuleName(std::string_view a, std::string_view b);

// Appends to `slots` the addresses of the address-table entries that hold
// `routine` in every import descriptor of `module` naming `importedModule`
// (compared without regard to case).
ImportScan FindImportSlots(const MemorySpace& memory, uint32_t module, std::string_view importedModule,
                           uint32_t routine, std::vector<uint32_t>& slots);

}  // namespace tarvex
