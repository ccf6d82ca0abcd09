// Procedure hooks: the first instructions of a routine are replaced by a jump
// to a new routine; the trampoline (see trampoline.h) still runs the old one.
#pragma once

#include <string>

namespace tarvex {

// Hooks `target` (both it and `newRoutine` are first followed through import
// thunks) and returns the trampoline through which the previous behaviour is
// called. A target that is already hooked returns its existing trampoline.
// Raises EProcNull for a null target and EHookingError when the hook cannot be
// installed; then the target is left as it was. `name` names the routine in
// messages.
void* HookProcedure(void* target, void* newRoutine, const std::string& name);

// Undoes every procedure hook whose target or trampoline is `address`: the
// saved bytes go back over the target. The trampoline is never freed and keeps
// running the old behaviour for threads still inside the new routine (see
// trampoline_arena.h). An address that is not hooked is ignored.
void UnhookProcedure(void* address);

// Undoes every procedure hook, the last installed first; trampolines stay as above.
void UnhookAllProcedures();

}  // namespace tarvex
