// Trampolines: the first whole instructions of a hooked procedure, relocated
// to run from another address, followed by a jump back into the procedure.
//
// Layout at the trampoline address:
//   +0                  the copied instructions (at least 5 bytes, whole
//                       instructions), with branch targets relocated
//   +copied             E9 <rel32>  jump back to target + copied
//   +copied + 5 + 5*k   E9 <rel32>  stub k: the real target of the k-th short
//                       jump in the copy whose target lies outside the copy
//
// A short jump (70..7F, E0..E3, EB) that leaves the copied range is re-aimed
// at its stub; a 32-bit relative call or jump (E8, E9, 0F 80..8F) that leaves
// it gets its displacement corrected for the move. Branches inside the copy
// are kept as they are.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

inline constexpr uint32_t kJumpSize = 5;

// E9 <to - from - 5>: a jump written at `from`.
std::array<uint8_t, kJumpSize> JumpBytes(uint32_t from, uint32_t to);

struct TrampolinePlan {
  struct Branch {
    uint8_t offset;      // of the instruction in the copy
    uint8_t length;      // of the instruction
    bool isShort;        // 8-bit displacement, else 32-bit
    int64_t destination; // relative to the target's first byte
  };
  std::vector<uint8_t> original;  // the copied instructions as they are at the target
  std::vector<Branch> outgoing;   // branches whose destination lies outside the copy
  uint32_t stubCount = 0;

  uint32_t Size() const { return uint32_t(original.size()) + kJumpSize + kJumpSize * stubCount; }
};

// Reads whole instructions from `target` until at least 5 bytes are covered
// (an invalid opcode counts as one byte). False when the code cannot be read
// or holds a relative branch with a 16-bit operand size, which cannot be moved.
bool PlanTrampoline(const MemorySpace& memory, uint32_t target, TrampolinePlan& plan);

// The trampoline's bytes for the given target and trampoline addresses.
std::vector<uint8_t> BuildTrampoline(const TrampolinePlan& plan, uint32_t target, uint32_t trampoline);

}  // namespace tarvex
