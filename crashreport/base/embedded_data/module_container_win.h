// The crash reporter data of a module loaded in this process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "crashreport/base/embedded_data/container.h"

namespace tarvex {

// The container of the loaded module `handle`: its "VXDATA" raw-data
// resource, else the one appended to `fileName` (only the file's tail is
// read). None when neither holds usable data. Never throws.
std::optional<EmbeddedData> ReadModuleContainer(uint32_t handle, const std::string& fileName);

}  // namespace tarvex
