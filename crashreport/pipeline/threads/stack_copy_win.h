// The copy of a raising thread's stack, taken at the raise so that the
// handling can walk it after the handlers of the program have unwound it.
// One process-wide buffer of at most 102,400 bytes under its own lock: the
// newest raise of any thread replaces it.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvex {

inline constexpr uint32_t kStackCopyLimit = 102400;

struct TStackCopy {
  uint32_t ThreadId = 0;
  uint32_t Address = 0;  // where the copied bytes lay: the stack pointer at the copy
  std::vector<uint8_t> Bytes;
};

// The calling thread's stack base (the upper end of its stack).
uint32_t CurrentStackBase();

// Copies the calling thread's stack from `stackPointer` up to its base (at
// most kStackCopyLimit bytes). Allocates nothing.
void KeepStackCopy(uint32_t stackPointer);

// The kept copy when it belongs to `threadId`; else an empty one.
TStackCopy StackCopyOf(uint32_t threadId);

}  // namespace tarvex
