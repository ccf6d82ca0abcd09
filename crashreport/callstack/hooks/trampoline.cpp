#include "crashreport/callstack/hooks/trampoline.h"

#include <algorithm>

#include "crashreport/callstack/disasm/instruction_length.h"
#include "crashreport/base/util/little_endian.h"

namespace tarvex {

namespace {

bool IsShortBranch(const InstructionShape& shape) {
  const uint8_t op = shape.opcode;
  return shape.opcodeLength == 1 && ((op >= 0x70 && op <= 0x7F) || (op >= 0xE0 && op <= 0xE3) || op == 0xEB);
}

bool IsNearBranch(const InstructionShape& shape) {
  const uint8_t op = shape.opcode;
  return (shape.opcodeLength == 1 && (op == 0xE8 || op == 0xE9)) ||
         (shape.opcodeLength == 2 && op >= 0x80 && op <= 0x8F);
}

}  // namespace

std::array<uint8_t, kJumpSize> JumpBytes(uint32_t from, uint32_t to) {
  std::array<uint8_t, kJumpSize> jump{0xE9};
  PutLittleEndian32(&jump[1], to - from - kJumpSize);
  return jump;
}

bool PlanTrampoline(const MemorySpace& memory, uint32_t target, TrampolinePlan& plan) {
  plan = {};
  std::vector<TrampolinePlan::Branch> branches;
  uint32_t covered = 0;
  while (covered < kJumpSize) {
    InstructionShape shape;
    const DecodeStatus status = DecodeInstruction(memory, target + covered, shape);
    if (status == DecodeStatus::kTruncated) return false;
    const uint8_t length = status == DecodeStatus::kValid ? shape.length : 1;
    if (status == DecodeStatus::kValid && (IsShortBranch(shape) || IsNearBranch(shape))) {
      // A 16-bit operand size cuts the instruction pointer to 16 bits: such a
      // branch means something else when moved.
      if (shape.operandSize16) return false;
      branches.push_back({uint8_t(covered), length, IsShortBranch(shape), 0});
    }
    covered += length;
  }
  plan.original.resize(covered);
  if (!ReadMemory(memory, target, plan.original.data(), covered)) return false;

  for (TrampolinePlan::Branch& branch : branches) {
    const uint8_t* end = &plan.original[branch.offset + branch.length];
    const int32_t displacement = branch.isShort ? int8_t(end[-1]) : int32_t(LittleEndian32(end - 4));
    branch.destination = int64_t(branch.offset) + branch.length + displacement;
    if (branch.destination >= 0 && branch.destination < covered) continue;  // stays inside the copy
    plan.outgoing.push_back(branch);
    if (branch.isShort) ++plan.stubCount;
  }
  return true;
}

std::vector<uint8_t> BuildTrampoline(const TrampolinePlan& plan, uint32_t target, uint32_t trampoline) {
  const uint32_t copied = uint32_t(plan.original.size());
  std::vector<uint8_t> code(plan.Size());
  std::copy(plan.original.begin(), plan.original.end(), code.begin());

  // The copy is at most 4 + 15 bytes with at most 10 short jumps, so every
  // stub lies within reach of an 8-bit displacement.
  uint32_t stub = copied + kJumpSize;
  for (const TrampolinePlan::Branch& branch : plan.outgoing) {
    const uint32_t end = branch.offset + branch.length;
    const uint32_t destination = target + uint32_t(branch.destination);
    if (branch.isShort) {
      const auto jump = JumpBytes(trampoline + stub, destination);
      std::copy(jump.begin(), jump.end(), code.begin() + stub);
      code[end - 1] = uint8_t(stub - end);
      stub += kJumpSize;
    } else {
      PutLittleEndian32(&code[end - 4], destination - (trampoline + end));
    }
  }
  const auto back = JumpBytes(trampoline + copied, target + copied);
  std::copy(back.begin(), back.end(), code.begin() + copied);
  return code;
}

}  // namespace tarvex
