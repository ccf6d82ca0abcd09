#include "crashreport/callstack/hooks/procedure_hooks.h"

#include <vector>

#include "crashreport/callstack/disasm/follow_thunk.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/hooks/code_writer.h"
#include "crashreport/callstack/hooks/hook_errors.h"
#include "crashreport/callstack/hooks/thread_freeze_win.h"
#include "crashreport/callstack/hooks/trampoline.h"
#include "crashreport/callstack/hooks/trampoline_arena.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

struct ProcedureHook {
  uint32_t target;
  uint32_t trampoline;  // kept when the hook is undone
  std::vector<uint8_t> original;  // the target's first bytes as they were
};

// The recorded hooks. Only the thread that hooks and unhooks (start-up and
// shut-down) uses them; the hooked routines never read them, so no lock.
std::vector<ProcedureHook>& Hooks() {
  static std::vector<ProcedureHook> hooks;
  return hooks;
}

void* AsPointer(uint32_t address) { return reinterpret_cast<void*>(uintptr_t(address)); }
uint32_t AsAddress(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }

// Writes the jump while every other thread is frozen, after moving a thread
// stopped inside the instructions the jump covers to the same instruction in
// the trampoline. Where the threads cannot be listed, the jump is written
// without freezing them.
bool WriteJumpBesideFrozenThreads(uint32_t target, uint32_t newRoutine, uint32_t trampoline, uint32_t copied) {
  TThreadFreeze freeze;
  if (freeze.Frozen() && !freeze.MoveThreadsInside(target, copied, trampoline)) return false;
  return WriteJump(AsPointer(target), AsPointer(newRoutine));
}

// Installs the hook; false when anything fails, with the target untouched.
// The jump over the target is the last write.
bool Install(uint32_t target, uint32_t newRoutine) noexcept {
  try {
    TrampolinePlan plan;
    if (!PlanTrampoline(ThisProcessMemory(), target, plan)) return false;
    const uint32_t trampoline = PlaceTrampoline(target, plan);
    if (trampoline == 0) return false;
    Hooks().reserve(Hooks().size() + 1);  // the record below must not fail after the jump is written
    if (!WriteJumpBesideFrozenThreads(target, newRoutine, trampoline, uint32_t(plan.original.size()))) return false;
    Hooks().push_back({target, trampoline, std::move(plan.original)});
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Puts back the bytes the jump covered, at once, since other threads may be
// running into the target. No thread needs moving: while the jump is there,
// none can be stopped inside the bytes it covers. The trampoline stays: a thread that entered the
// new routine before this may still call it (see trampoline_arena.h).
bool Uninstall(const ProcedureHook& hook) {
  return WriteCodeAtOnce(AsPointer(hook.target), hook.original.data(), kJumpSize);
}

}  // namespace

void* HookProcedure(void* target, void* newRoutine, const std::string& name) {
  const MemorySpace& memory = ThisProcessMemory();
  const uint32_t from = FollowThunk(memory, AsAddress(target));
  const uint32_t to = FollowThunk(memory, AsAddress(newRoutine));
  if (from == 0) throw EProcNull(rtl::Format(kNullProcedureMessage, name.c_str()));
  for (const ProcedureHook& hook : Hooks())
    if (hook.target == from) return AsPointer(hook.trampoline);
  if (!Install(from, to)) throw EHookingError(rtl::Format(kCannotHookMessage, name.c_str()));
  return AsPointer(Hooks().back().trampoline);
}

void UnhookProcedure(void* address) {
  const uint32_t at = AsAddress(address);
  const uint32_t followed = FollowThunk(ThisProcessMemory(), at);
  std::vector<ProcedureHook>& hooks = Hooks();
  for (size_t i = hooks.size(); i-- > 0;) {
    const ProcedureHook& hook = hooks[i];
    const bool matches = hook.target == at || hook.target == followed || hook.trampoline == at;
    if (matches && Uninstall(hook)) hooks.erase(hooks.begin() + i);
  }
}

void UnhookAllProcedures() {
  std::vector<ProcedureHook>& hooks = Hooks();
  for (size_t i = hooks.size(); i-- > 0;)
    if (Uninstall(hooks[i])) hooks.erase(hooks.begin() + i);
}

}  // namespace tarvex
