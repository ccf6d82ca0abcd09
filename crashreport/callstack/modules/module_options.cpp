#include "crashreport/callstack/modules/module_options.h"

#include "crashreport/base/util/file_names.h"
#include "rtl/exception.h"
#include "rtl/format.h"

namespace tarvex {

TTarvexModuleOptions& RegisteredModuleOptions(const TTarvexModulesList* modules, uint32_t handle,
                                              const std::string& moduleFileName) {
  const int index = modules ? modules->IndexOfHandle(handle) : -1;
  if (index < 0 || !(*modules)[index].Options)
    throw rtl::EAssertionFailed(rtl::Format(
        "\r\nCannot use 'CurrentTarvexLogOptions' function in module \"%s\" without activate TarvexLog.\r\n"
        "To activate TarvexLog use the new IDE \"Project/TarvexLog Options...\" menu.",
        ExtractFileName(moduleFileName).c_str()));
  return *(*modules)[index].Options;
}

std::unique_ptr<TTarvexModuleOptionsEx> ReadModuleOptions(const std::string& fileName, uint32_t handle,
                                                          const std::optional<EmbeddedData>& data,
                                                          uint32_t runningModule, SharedBlocks& shared) {
  auto options = std::make_unique<TTarvexModuleOptionsEx>(fileName, handle, shared);
  if (data) {
    rtl::ByteReader in(data->optionStream);
    try {
      options->ReadFromStream(in, data->version);
    } catch (const rtl::EReadError&) {
      // a cut stream: the options keep what it held, the rest their defaults
    }
  }
  if (handle == runningModule) return options;  // the reporter always has options
  // A module whose reporter neither embedded nor published options (a system
  // library) has none: a failure inside it is handled with the main program's.
  const bool published = options->ReloadShared();
  return data || published ? std::move(options) : nullptr;
}

}  // namespace tarvex
