#include "crashreport/callstack/hooks/hooks_shutdown.h"

#include "crashreport/callstack/hooks/import_hooks.h"
#include "crashreport/callstack/hooks/procedure_hooks.h"
#include "crashreport/callstack/hooks/virtual_slot_hooks.h"

namespace tarvex {

void HooksDone() noexcept {
  // A failure here must not become a second crash: each step keeps going
  // over what it cannot undo, and nothing escapes.
  try {
    UnhookAllImports();
  } catch (...) {
  }
  try {
    HookedMethods().RestoreAll();
  } catch (...) {
  }
  try {
    UnhookAllProcedures();
  } catch (...) {
  }
}

}  // namespace tarvex
