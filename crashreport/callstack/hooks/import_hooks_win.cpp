#include "crashreport/callstack/hooks/import_hooks.h"

#include <windows.h>

#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/hooks/code_writer.h"
#include "crashreport/callstack/hooks/hook_errors.h"
#include "crashreport/callstack/hooks/import_table.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

struct ImportHook {
  void* module;
  std::string importedModule;
  void* previous;
  void* newRoutine;
};

// The recorded hooks. Only the thread that hooks and unhooks (start-up and
// shut-down) uses them; the hooked routines never read them, so no lock.
std::vector<ImportHook>& Hooks() {
  static std::vector<ImportHook> hooks;
  return hooks;
}

uint32_t AsAddress(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }

// Puts the previous routine back, without recording and without failing.
void Undo(const ImportHook& hook) {
  HookImport(hook.module, hook.importedModule, hook.newRoutine, true, true, hook.importedModule, hook.previous);
}

}  // namespace

void* HookImport(void* module, const std::string& importedModule, void* oldRoutine, bool noRecord, bool noFail,
                 const std::string& name, void* newRoutine) {
  std::vector<uint32_t> slots;
  const ImportScan scan =
      FindImportSlots(ThisProcessMemory(), AsAddress(module), importedModule, AsAddress(oldRoutine), slots);
  size_t written = 0;
  for (uint32_t slot : slots)
    written += WritePointer(reinterpret_cast<void**>(uintptr_t(slot)), newRoutine);
  // Entries replaced before a failed write stay recorded for the shutdown.
  if (written > 0 && !noRecord) Hooks().push_back({module, importedModule, oldRoutine, newRoutine});
  const bool complete = scan == ImportScan::kScanned && written > 0 && written == slots.size();
  if (!complete && !noFail) throw EHookingError(rtl::Format(kCannotHookMessage, name.c_str()));
  return written > 0 ? oldRoutine : nullptr;
}

bool HookImportInModules(const std::vector<std::string>& moduleNames, const std::string& importedModule,
                         bool noFail, void*& previous, void* newRoutine, const std::string& routineName) {
  const std::string name = importedModule + "." + routineName;
  const HMODULE exporter = GetModuleHandleA(importedModule.c_str());
  previous = exporter ? reinterpret_cast<void*>(GetProcAddress(exporter, routineName.c_str())) : nullptr;
  if (!previous) {
    if (noFail) return false;
    throw EHookingError(rtl::Format(kCannotHookMessage, name.c_str()));
  }
  bool hooked = false;
  for (const std::string& moduleName : moduleNames) {
    if (const HMODULE module = GetModuleHandleA(moduleName.c_str()))
      hooked |= HookImport(module, importedModule, previous, false, noFail, name, newRoutine) != nullptr;
  }
  return hooked;
}

void UnhookImport(void* module, const std::string& importedModule, void* newRoutine) {
  std::vector<ImportHook>& hooks = Hooks();
  for (size_t i = hooks.size(); i-- > 0;) {
    const ImportHook& hook = hooks[i];
    if (hook.module != module || hook.newRoutine != newRoutine || !SameModuleName(hook.importedModule, importedModule))
      continue;
    Undo(hook);
    hooks.erase(hooks.begin() + i);
  }
}

void UnhookAllImports() {
  std::vector<ImportHook>& hooks = Hooks();
  for (size_t i = hooks.size(); i-- > 0;) Undo(hooks[i]);
  hooks.clear();
}

}  // namespace tarvex
