// The embedded data appended to a module file on the build host.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "crashreport/base/embedded_data/container.h"

namespace tarvex::tool {

// Replaces a file's content through a temporary file beside it, so that a
// failed write never leaves a cut module behind; the file keeps its permissions.
// Raises std::runtime_error naming the file.
void ReplaceFileBytes(const std::string& path, std::span<const uint8_t> bytes);

// The module's appended embedded data; no value when it carries none that is usable.
std::optional<EmbeddedData> ReadModuleData(const std::string& modulePath);

// Appends `data` to the module file, replacing data appended before.
void WriteModuleData(const std::string& modulePath, const EmbeddedData& data);

// The compile time for new embedded data: SOURCE_DATE_EPOCH when set (for
// reproducible builds), else now.
std::array<uint8_t, 8> BuildInfoNow();

}  // namespace tarvex::tool
