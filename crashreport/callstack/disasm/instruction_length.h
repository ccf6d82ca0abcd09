// x86 (32-bit mode) instruction-length decoder.
//
// Finds where an instruction ends without disassembling it: prefixes, the
// opcode (one-byte map, 0F two-byte map, 0F 38 / 0F 3A three-byte maps), the
// ModRM byte with SIB and displacement for 16- and 32-bit addressing, and the
// immediate. Used by the code hooks (whole instructions for a trampoline), the
// assembler listing and the sizes of exported routines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

// The processor refuses longer instructions, so a decoder never reads further.
inline constexpr uint8_t kMaxInstructionLength = 15;

enum class DecodeStatus {
  kValid,
  kInvalid,    // an opcode that is not defined, or more than 15 bytes
  kTruncated,  // the bytes ran out before the instruction ended
};

// The parts of one instruction that the hooks and the listing need.
struct InstructionShape {
  uint8_t length = 0;          // whole instruction, prefixes included
  uint8_t prefixCount = 0;     // prefix bytes before the opcode
  uint8_t opcodeLength = 0;    // 1, 2 (0F xx) or 3 (0F 38 xx, 0F 3A xx)
  uint8_t opcode = 0;          // the last opcode byte
  bool operandSize16 = false;  // a 0x66 prefix was seen
};

// Decodes the instruction at the start of `code` (at most `size` bytes are read).
DecodeStatus DecodeInstruction(const uint8_t* code, size_t size, InstructionShape& shape);

// Decodes the instruction at `address`; kTruncated when it runs into memory
// that cannot be read.
DecodeStatus DecodeInstruction(const MemorySpace& memory, uint32_t address, InstructionShape& shape);

// False for an invalid opcode (or unreadable code); otherwise true with the
// instruction's length in bytes.
bool InstructionLength(const MemorySpace& memory, uint32_t address, uint8_t& length);

// Byte size of the code from `address` up to and including the first return
// instruction (C2, C3, CA, CB), scanning at most `limit` bytes; an invalid
// opcode counts as one byte. 1 when no return ends within `limit` bytes or the
// code cannot be read.
uint32_t FunctionSize(const MemorySpace& memory, uint32_t address, uint32_t limit);

}  // namespace tarvex
