// A module record's embedded debug information, taken from the module's crash
// reporter data (the container's version and build information, and the line
// table of its debug information block).
#pragma once

#include <string>

#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/base/embedded_data/container.h"

namespace tarvex {

// Sets DebugVersion, DebugHeader, LineInfo, DataKey and DataValid from the
// module's container `data` (null: none) and its data key `key`. Without a
// container: the reporter's own data version, header and line table cleared.
// DataValid is 0 only when the debug information block fails the key's check.
void SetEmbeddedDebugData(TTarvexModuleInfo& module, const EmbeddedData* data, std::string key);

}  // namespace tarvex
