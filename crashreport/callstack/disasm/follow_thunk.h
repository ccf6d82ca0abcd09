// Import thunks: a routine reached through "jmp dword ptr [pointer]".
#pragma once

#include <cstdint>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

// Where a call to `target` really goes. When 8 bytes at `target` are readable,
// begin with FF 25 (jmp through a 32-bit absolute pointer) and the 4 bytes at
// that pointer are readable, the answer is the pointer's value; otherwise
// `target` itself.
//
//   target: FF 25 <pointer:4> ..      pointer: <destination:4>
uint32_t FollowThunk(const MemorySpace& memory, uint32_t target);

}  // namespace tarvex
