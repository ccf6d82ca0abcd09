// The event exports (event_exports.h) of a loaded module, as a set of handlers.
#pragma once

#include <cstdint>
#include <optional>

#include "crashreport/pipeline/handling/exception_events.h"

namespace tarvex {

// The handlers module `module` exports. None when it is 0 or `runningModule`
// (whose events are its components and procedure variables), exports no
// event, or carries no crash reporter data of a version this one reads.
// The handlers call into the module: they are valid while it stays loaded.
std::optional<TTarvexEvents> ModuleEventExports(uint32_t module, uint32_t runningModule);

}  // namespace tarvex
