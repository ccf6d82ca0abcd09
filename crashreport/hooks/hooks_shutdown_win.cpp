#include "crashreport/hooks/hooks_shutdown.h"

#include "crashreport/hooks/import_hooks.h"
#include "crashreport/hooks/procedure_hooks.h"
#include "crashreport/hooks/virtual_slot_hooks.h"

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
