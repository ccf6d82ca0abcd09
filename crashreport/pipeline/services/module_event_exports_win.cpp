#include "crashreport/pipeline/services/module_event_exports_win.h"

#include <windows.h>

#include "crashreport/base/embedded_data/module_container_win.h"
#include "crashreport/pipeline/handling/event_exports.h"
#include "crashreport/base/util/loaded_modules_win.h"

namespace tarvex {

namespace {

// Binds `slot` to the export `name`, which takes the handler's own arguments.
template <class... Args>
bool Bind(HMODULE module, const char* name, std::function<void(Args...)>& slot) {
  using Export = void (*)(Args...);
  const FARPROC found = GetProcAddress(module, name);
  if (found == nullptr) return false;
  slot = reinterpret_cast<Export>(reinterpret_cast<void*>(found));
  return true;
}

}  // namespace

std::optional<TTarvexEvents> ModuleEventExports(uint32_t module, uint32_t runningModule) {
  if (module == 0 || module == runningModule) return std::nullopt;
  const auto handle = reinterpret_cast<HMODULE>(uintptr_t(module));
  TTarvexEvents events;
  bool any = false;
  any |= Bind(handle, kExceptionNotifyExport, events.OnExceptionNotify);
  any |= Bind(handle, kHandledExceptionNotifyExport, events.OnHandledExceptionNotify);
  any |= Bind(handle, kExceptionActionNotifyExport, events.OnExceptionActionNotify);
  any |= Bind(handle, kExceptionErrorNotifyExport, events.OnExceptionErrorNotify);
  any |= Bind(handle, kCustomDataRequestExport, events.OnCustomDataRequest);
  any |= Bind(handle, kAttachedFilesRequestExport, events.OnAttachedFilesRequest);
  any |= Bind(handle, kCustomWebFieldsRequestExport, events.OnCustomWebFieldsRequest);
  any |= Bind(handle, kCustomButtonClickExport, events.OnCustomButtonClick);
  // The data is read only for a module that exports events: most modules do not.
  if (!any || !ReadModuleContainer(module, ModuleFileName(module)).has_value()) return std::nullopt;
  return events;
}

}  // namespace tarvex
