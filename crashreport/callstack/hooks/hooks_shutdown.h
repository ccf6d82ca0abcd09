// Undoing every recorded patch when the reporter shuts down.
#pragma once

namespace tarvex {

// The shutdown step "EHook.Done": every recorded import hook is undone (the
// new routine replaced by the old one, without recording and without
// failing), then every virtual-method hook, then every procedure hook from the
// last to the first. Raises nothing.
void HooksDone() noexcept;

}  // namespace tarvex
