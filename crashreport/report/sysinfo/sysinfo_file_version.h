// The product version of a file, from its version resource.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

// The "ProductVersion" string of the resource's first translation; empty
// when the file has no such value or it is a single character.
std::string ProbeProductVersion(const SystemQuery& system, const std::string& file) noexcept;

// "\StringFileInfo\LLLLCCCC\ProductVersion" for a translation whose high 16
// bits are the language and low 16 bits the code page (upper-case hexadecimal).
std::string ProductVersionPath(uint32_t translation);

}  // namespace tarvex
