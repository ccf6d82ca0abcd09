// What kind of module an image in memory is.
#pragma once

#include <cstdint>

#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/callstack/modules/module_info.h"

namespace tarvex {

// Reads the image headers at `handle` (TVXPeImage) for the file header's
// Characteristics: mkUnknown when they are unreadable or invalid; mkExecutable without the DLL
// bit (0x2000); a library is mkPackage when it carries the package resources.
TTarvexModuleKind ImageModuleKind(const MemorySpace& memory, uint32_t handle, bool hasPackageResources);

}  // namespace tarvex
