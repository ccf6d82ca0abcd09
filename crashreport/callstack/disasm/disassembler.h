// x86 (32-bit) disassembler: one instruction to one line of assembler text.
//
// Table driven: every opcode maps to a template text (disasm_templates.h) and
// decoding is the expansion of that template against the instruction's bytes.
// Operand notation: registers in lower case, numbers as "$" + upper-case hex
// digits, memory as "[base+index*scale+disp]" with a size prefix
// ("dword ptr ") only when no register operand fixes the size. Undefined
// opcodes, and instructions this listing shows only as data (MMX/SSE), print
// as "DB      $0F, $60, $C1  //" + the decoded form.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

// Hooks that annotate operands; each receives TDisAsm::user first and may
// change `text` (the operand as written so far). Text a hook returns is
// copied to the line as it is, never expanded again.
struct TDisAsm {
  // Jump and call targets: `text` is the relative form ("+$10", "-$0C").
  using TargetHook = void (*)(void* user, uint32_t fieldAddress, uint32_t target, std::string& text);
  // 32-bit displacements and absolute addresses in memory operands ("$00401000").
  using DisplacementHook = void (*)(void* user, uint32_t fieldAddress, uint32_t displacement, std::string& text);
  // Direct memory offsets of the accumulator moves (A0..A3), the whole operand ("[$00401000]").
  using DirectOffsetHook = void (*)(void* user, uint32_t fieldAddress, uint32_t operandSize, std::string& text);
  // Immediates (and 8-bit displacements); isSigned is 1 for the signed forms.
  using ImmediateHook = void (*)(void* user, uint32_t fieldAddress, uint32_t size, std::string& text, int isSigned);

  explicit TDisAsm(const MemorySpace* memory = nullptr) : memory(memory) {}

  const MemorySpace* memory;  // where Disassemble(disasm, address, ...) reads
  void* user = nullptr;
  TargetHook jumpTargetHook = nullptr;
  TargetHook callTargetHook = nullptr;
  DisplacementHook displacementHook = nullptr;
  DirectOffsetHook directOffsetHook = nullptr;
  ImmediateHook immediateHook = nullptr;
};

// Longest instruction the processor accepts; the decoder never reads further.
inline constexpr uint32_t kMaxInstructionBytes = 15;

// Decodes the instruction at the start of `code`, which holds the bytes at
// `address`; reads no byte beyond `code`. Sets `length` (at least 1) and
// `text`. An instruction cut short by the end of `code` or longer than
// 15 bytes is shown as its first byte in data form, length 1.
void Disassemble(const TDisAsm& disasm, std::span<const uint8_t> code, uint32_t address, uint32_t& length,
                 std::string& text);

// The same, reading from disasm.memory: at most the readable bytes at `address`.
// With no readable byte at all, `length` is 0 and `text` is empty.
void Disassemble(const TDisAsm& disasm, uint32_t address, uint32_t& length, std::string& text);

}  // namespace tarvex
