// A module file laid out as the loader would map it, for reading it offline
// with the same readers that run in the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex::tool {

// Maps the headers and every section of the PE file `file` into `memory` at
// the module's preferred image base and returns that base. Throws
// rtl::EReadError when the file is not a PE32 module.
uint32_t MapModuleImage(const std::vector<uint8_t>& file, BufferMemorySpace& memory);

// The data key the module at `base` exports as TarvexLog_DataKey, read as the
// running reporter reads it: empty when the export is missing, unreadable or
// not terminated within the key length limit.
std::string ExportedDataKey(const MemorySpace& memory, uint32_t base);

}  // namespace tarvex::tool
