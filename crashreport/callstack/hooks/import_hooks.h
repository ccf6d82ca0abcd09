// Import hooks: entries of a module's import address table are redirected.
#pragma once

#include <string>
#include <vector>

namespace tarvex {

// In `module` (a module handle: its base address), replaces every import
// address-table entry of `importedModule` (any case) that holds `oldRoutine`
// with `newRoutine`, and records the change for the shutdown unless
// `noRecord`. Returns `oldRoutine` when at least one entry was replaced, else
// nullptr. Raises EHookingError, with `name` in the message, when the module
// has no valid image headers or no import directory, when nothing was
// replaced, or when an entry cannot be written; `noFail` turns all of these
// into a nullptr (or partial) result.
void* HookImport(void* module, const std::string& importedModule, void* oldRoutine, bool noRecord, bool noFail,
                 const std::string& name, void* newRoutine);

// Resolves `routineName` exported by the loaded `importedModule`, hooks it in
// every module of `moduleNames` that is loaded, and stores the resolved
// routine in `previous`. True when any module was hooked. A routine that
// cannot be resolved raises EHookingError unless `noFail`. Messages name the
// routine as "importedModule.routineName".
bool HookImportInModules(const std::vector<std::string>& moduleNames, const std::string& importedModule,
                         bool noFail, void*& previous, void* newRoutine, const std::string& routineName);

// Undoes the recorded import hooks of `module` and `importedModule` that
// installed `newRoutine`: the entries get the previous routine back.
void UnhookImport(void* module, const std::string& importedModule, void* newRoutine);

// Undoes every recorded import hook, the last installed first.
void UnhookAllImports();

}  // namespace tarvex
