#include "crashreport/callstack/hooks/procedure_hooks.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "crashreport/callstack/disasm/follow_thunk.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/hooks/code_writer.h"
#include "crashreport/callstack/hooks/hook_errors.h"
#include "crashreport/callstack/hooks/trampoline.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

struct ProcedureHook {
  uint32_t target;
  uint32_t trampoline;  // a block of its own, released whole
  std::vector<uint8_t> original;  // the target's first bytes as they were
};

std::vector<ProcedureHook>& Hooks() {
  static std::vector<ProcedureHook> hooks;
  return hooks;
}

void* AsPointer(uint32_t address) { return reinterpret_cast<void*>(uintptr_t(address)); }
uint32_t AsAddress(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }

// Memory for one trampoline, released unless kept.
class TrampolineBlock {
 public:
  explicit TrampolineBlock(size_t size)
      : memory_(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~TrampolineBlock() {
    if (memory_) VirtualFree(memory_, 0, MEM_RELEASE);
  }
  TrampolineBlock(const TrampolineBlock&) = delete;
  TrampolineBlock& operator=(const TrampolineBlock&) = delete;

  void* Get() const { return memory_; }
  void Keep() { memory_ = nullptr; }

 private:
  void* memory_;
};

// Installs the hook; false when anything fails, with the target untouched and
// nothing allocated. The jump over the target is the last write.
bool Install(uint32_t target, uint32_t newRoutine) noexcept {
  try {
    TrampolinePlan plan;
    if (!PlanTrampoline(ThisProcessMemory(), target, plan)) return false;
    TrampolineBlock block(plan.Size());
    if (!block.Get()) return false;
    const uint32_t trampoline = AsAddress(block.Get());
    const std::vector<uint8_t> code = BuildTrampoline(plan, target, trampoline);
    std::memcpy(block.Get(), code.data(), code.size());
    // The trampoline runs but is never written again: no writable code left behind.
    DWORD previous;
    if (!VirtualProtect(block.Get(), code.size(), PAGE_EXECUTE_READ, &previous)) return false;
    FlushInstructionCache(GetCurrentProcess(), block.Get(), code.size());

    Hooks().reserve(Hooks().size() + 1);  // the record below must not fail after the jump is written
    if (!WriteJump(AsPointer(target), AsPointer(newRoutine))) return false;
    Hooks().push_back({target, trampoline, std::move(plan.original)});
    block.Keep();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Puts the saved bytes back; the trampoline stays allocated when that fails,
// since the target still jumps to a routine that may call it.
bool Uninstall(const ProcedureHook& hook) {
  if (!WriteCode(AsPointer(hook.target), hook.original.data(), hook.original.size())) return false;
  VirtualFree(AsPointer(hook.trampoline), 0, MEM_RELEASE);
  return true;
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
