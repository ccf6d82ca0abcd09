#include "crashreport/callstack/hooks/virtual_slot_hooks.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/hooks/code_writer.h"
#include "crashreport/callstack/hooks/hook_errors.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

void** SlotAddress(void* table, int slot) { return static_cast<void**>(table) + slot; }

bool WriteSlot(void* table, int slot, void* routine) {
  return WritePointer(SlotAddress(table, slot), routine);
}

bool InLoadedModule(const void* address) {
  HMODULE module;
  return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module) != 0;
}

[[noreturn]] void CannotHookSlot(void* table, int slot) {
  const std::string name = rtl::Format("slot %d of the method table at $%p", slot, table);
  throw EHookingError(rtl::Format(kCannotHookMessage, name.c_str()));
}

}  // namespace

THookedMethodsList::~THookedMethodsList() { RestoreAll(); }

// The latest record of the slot: a slot hooked again with another routine
// unwinds one hook at a time.
std::vector<THookedMethodsList::Record>::reverse_iterator THookedMethodsList::Find(void* table, int slot) {
  return std::find_if(records_.rbegin(), records_.rend(),
                      [&](const Record& r) { return r.table == table && r.slot == slot; });
}

void* THookedMethodsList::Patch(void* table, int slot, void* newRoutine) {
  std::lock_guard<std::mutex> guard(lock_);
  void** address = SlotAddress(table, slot);
  uint32_t current;
  if (slot < 0 || !ReadValue(ThisProcessMemory(), uint32_t(uintptr_t(address)), current)) CannotHookSlot(table, slot);
  void* const previous = reinterpret_cast<void*>(uintptr_t(current));
  if (previous == newRoutine) {
    const auto record = Find(table, slot);
    return record != records_.rend() ? record->previous : previous;
  }
  if (!InLoadedModule(address) || !WriteSlot(table, slot, newRoutine)) CannotHookSlot(table, slot);
  records_.push_back({table, previous, slot});
  return previous;
}

bool THookedMethodsList::Restore(void* table, int slot) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto record = Find(table, slot);
  if (record == records_.rend() || !WriteSlot(table, slot, record->previous)) return false;
  records_.erase(std::next(record).base());
  return true;
}

void THookedMethodsList::RestoreAll() {
  std::lock_guard<std::mutex> guard(lock_);
  // Last hooked first; a slot that cannot be written back keeps its record.
  for (size_t i = records_.size(); i-- > 0;) {
    const Record& r = records_[i];
    if (WriteSlot(r.table, r.slot, r.previous)) records_.erase(records_.begin() + i);
  }
}

size_t THookedMethodsList::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return records_.size();
}

THookedMethodsList& HookedMethods() {
  static THookedMethodsList list;
  return list;
}

void* PatchVirtualSlot(void* table, int slot, void* newRoutine) { return HookedMethods().Patch(table, slot, newRoutine); }

bool RestoreVirtualSlot(void* table, int slot) { return HookedMethods().Restore(table, slot); }

}  // namespace tarvex
