// The crash reporter data of a module loaded in this process.
//
// A module carries its container either as the raw-data resource (type 10)
// "VXDATA" or appended to its file (see container.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "crashreport/core/embedded_data/container.h"

namespace tarvex {

// The container of the loaded module `module`: its "VXDATA" resource, else
// the container appended to `fileName`. No value when neither holds usable
// data. Never throws.
std::optional<EmbeddedData> ReadLoadedModuleData(uint32_t module, const std::string& fileName);

// The container appended to a file; only the file's tail is read. No value
// when the file cannot be read or carries no usable data. Never throws.
std::optional<EmbeddedData> ReadAppendedFileData(const std::string& fileName);

}  // namespace tarvex
