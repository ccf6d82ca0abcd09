// The video card probe: description, driver version and memory of the first
// display adapter, from the display-device enumeration and the registry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

// "description (driver version - RAM n MB)", or "description (driver version)"
// when the memory is unknown; empty when nothing at all is known.
std::string ProbeVideoCard(const SystemQuery& system) noexcept;
std::string FormatVideoCard(std::string_view description, std::string_view version, uint32_t memoryBytes);

}  // namespace tarvex
