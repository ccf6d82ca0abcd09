// Hooks of virtual methods: a slot of a class's method table (an array of
// 4-byte routine addresses) is replaced, and the previous routine kept.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace tarvex {

class THookedMethodsList {
 public:
  THookedMethodsList() = default;
  THookedMethodsList(const THookedMethodsList&) = delete;
  THookedMethodsList& operator=(const THookedMethodsList&) = delete;
  // Unhooks every slot still hooked.
  ~THookedMethodsList();

  // Writes `newRoutine` into slot `slot` of `table` and returns the routine
  // that was there. When the slot already holds `newRoutine`, returns the
  // routine saved when it was hooked, so hooking twice is harmless. Raises
  // EHookingError when the table does not belong to a loaded module or the
  // slot cannot be read or written.
  void* Patch(void* table, int slot, void* newRoutine);
  // Writes the saved routine back; false when the slot is not hooked or cannot be written.
  bool Restore(void* table, int slot);
  void RestoreAll();
  size_t Count() const;

 private:
  struct Record {
    void* table;
    void* previous;
    int slot;
  };
  std::vector<Record>::reverse_iterator Find(void* table, int slot);

  mutable std::mutex lock_;
  std::vector<Record> records_;
};

// The process-wide list.
THookedMethodsList& HookedMethods();

void* PatchVirtualSlot(void* table, int slot, void* newRoutine);
bool RestoreVirtualSlot(void* table, int slot);

}  // namespace tarvex
