// The data key of a module loaded in this process.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

// The zero-terminated text the module exports as data under kDataKeyExport
// (data_key.h); empty when it exports none, or when the export is no readable
// text of at most kMaxDataKeyLength characters.
std::string ModuleDataKey(uint32_t module);

}  // namespace tarvex
