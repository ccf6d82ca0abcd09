// The crash reporter options of the modules in the modules list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/base/embedded_data/container.h"
#include "crashreport/base/options/options_ex.h"

namespace tarvex {

// The options of module `handle` (file `moduleFileName`). A missing list, or a
// module that is not in it or has no options, raises rtl::EAssertionFailed
// saying that the crash reporter is not active in that module.
TTarvexModuleOptions& RegisteredModuleOptions(const TTarvexModulesList* modules, uint32_t handle,
                                              const std::string& moduleFileName);

// The options of a module from its embedded data. A module other than
// `runningModule` then takes what its own crash reporter published in
// `shared`; with neither data nor a publication it has no options (nullptr).
// The running module without data has the defaults.
std::unique_ptr<TTarvexModuleOptionsEx> ReadModuleOptions(const std::string& fileName, uint32_t handle,
                                                          const std::optional<EmbeddedData>& data,
                                                          uint32_t runningModule, SharedBlocks& shared);

// Windows (module_options_win.cpp): the options of the module that holds the
// running crash reporter, from ModulesList().
TTarvexModuleOptions& CurrentTarvexLogOptions();
// Fills `module.Options` from the module's embedded data (`data`, none when
// it carries no usable data) and its shared block. Never throws.
void LoadModuleOptions(TTarvexModuleInfo& module, const std::optional<EmbeddedData>& data);

}  // namespace tarvex
