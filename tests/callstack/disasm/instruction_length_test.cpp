#include "crashreport/callstack/disasm/instruction_length.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/hex_bytes.h"

namespace {

using namespace tarvex;

using testsupport::Hex;

constexpr int kInvalid = -1;
constexpr int kTruncated = -2;

struct LengthCase {
  const char* code;
  int expected;  // length, or kInvalid / kTruncated
  const char* what;
};

class InstructionLengthTable : public testing::TestWithParam<LengthCase> {};

TEST_P(InstructionLengthTable, DecodesTheWholeInstruction) {
  const LengthCase& c = GetParam();
  const std::vector<uint8_t> code = Hex(c.code);
  InstructionShape shape;
  const DecodeStatus status = DecodeInstruction(code.data(), code.size(), shape);
  if (c.expected == kInvalid) {
    EXPECT_EQ(status, DecodeStatus::kInvalid) << c.what;
  } else if (c.expected == kTruncated) {
    EXPECT_EQ(status, DecodeStatus::kTruncated) << c.what;
  } else {
    ASSERT_EQ(status, DecodeStatus::kValid) << c.what;
    EXPECT_EQ(shape.length, c.expected) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, InstructionLengthTable, testing::Values(
    // The documented examples.
    LengthCase{"66 B8 34 12", 4, "mov ax, imm16"},
    LengthCase{"8B 44 24 08", 4, "mov eax, [esp+8]"},
    LengthCase{"0F BA E0 05", 4, "bt eax, 5"},
    // Fixed lengths and operand-size immediates.
    LengthCase{"90", 1, "nop"},
    LengthCase{"C2 08 00", 3, "ret 8"},
    LengthCase{"C8 10 00 00", 4, "enter 16, 0"},
    LengthCase{"CD 2E", 2, "int 2Eh"},
    LengthCase{"D4 0A", 2, "aam"},
    LengthCase{"68 78 56 34 12", 5, "push imm32"},
    LengthCase{"66 68 34 12", 4, "push imm16"},
    LengthCase{"E8 00 00 00 00", 5, "call rel32"},
    LengthCase{"66 E8 00 00", 4, "call rel16"},
    LengthCase{"0F 84 00 01 00 00", 6, "jz rel32"},
    LengthCase{"EB FE", 2, "jmp rel8"},
    LengthCase{"E3 10", 2, "jecxz"},
    LengthCase{"9A 00 00 00 00 10 00", 7, "call far ptr16:32"},
    LengthCase{"66 EA 00 00 10 00", 6, "jmp far ptr16:16"},
    LengthCase{"A1 00 10 40 00", 5, "mov eax, [moffs32]"},
    LengthCase{"66 A1 00 10 40 00", 6, "mov ax, [moffs32]: 0x66 does not shorten the offset"},
    LengthCase{"67 A1 00 10", 4, "mov eax, [moffs16]"},
    // 32-bit addressing.
    LengthCase{"8B C1", 2, "register operand"},
    LengthCase{"8B 00", 2, "[eax]"},
    LengthCase{"8B 05 00 10 40 00", 6, "[disp32]"},
    LengthCase{"8B 04 24", 3, "[esp]: SIB"},
    LengthCase{"8B 04 85 00 10 40 00", 7, "[eax*4+disp32]: SIB without base"},
    LengthCase{"8B 45 08", 3, "[ebp+disp8]"},
    LengthCase{"8B 85 00 01 00 00", 6, "[ebp+disp32]"},
    LengthCase{"8B 84 24 00 01 00 00", 7, "[esp+disp32]: SIB"},
    // 16-bit addressing.
    LengthCase{"67 8B 06 34 12", 5, "[disp16]"},
    LengthCase{"67 8B 04", 3, "[si]: no SIB in 16-bit addressing"},
    LengthCase{"67 8B 46 08", 4, "[bp+disp8]"},
    LengthCase{"67 8B 86 34 12", 5, "[bp+disp16]"},
    // Immediates after ModRM.
    LengthCase{"80 7D 08 05", 4, "cmp byte [ebp+8], 5"},
    LengthCase{"81 C1 78 56 34 12", 6, "add ecx, imm32"},
    LengthCase{"66 81 C1 34 12", 5, "add cx, imm16"},
    LengthCase{"83 C4 10", 3, "add esp, imm8"},
    LengthCase{"69 C0 10 27 00 00", 6, "imul eax, eax, imm32"},
    LengthCase{"6B C0 0A", 3, "imul eax, eax, imm8"},
    LengthCase{"C1 E0 04", 3, "shl eax, 4"},
    LengthCase{"C6 45 FF 01", 4, "mov byte [ebp-1], 1"},
    LengthCase{"C7 04 24 01 00 00 00", 7, "mov dword [esp], 1"},
    LengthCase{"66 C7 00 01 00", 5, "mov word [eax], 1"},
    LengthCase{"F6 C1 01", 3, "test cl, 1"},
    LengthCase{"F6 D8", 2, "neg al: group 3 without immediate"},
    LengthCase{"F7 C1 00 01 00 00", 6, "test ecx, imm32"},
    LengthCase{"F7 F1", 2, "div ecx"},
    // Two- and three-byte maps.
    LengthCase{"0F B6 45 08", 4, "movzx eax, byte [ebp+8]"},
    LengthCase{"0F A4 C1 04", 4, "shld ecx, eax, 4"},
    LengthCase{"66 0F 70 C1 1B", 5, "pshufd"},
    LengthCase{"0F C6 C1 00", 4, "shufps"},
    LengthCase{"F3 0F 10 44 24 04", 6, "movss xmm0, [esp+4]"},
    LengthCase{"F0 0F B1 0A", 4, "lock cmpxchg [edx], ecx"},
    LengthCase{"0F 0B", 2, "ud2"},
    LengthCase{"0F 20 05 88 01 00", 3, "mov eax, cr0: the mod field is ignored"},
    LengthCase{"0F 23 80", 3, "mov dr0, eax: the mod field is ignored"},
    LengthCase{"66 0F 38 00 C1", 5, "pshufb"},
    LengthCase{"66 0F 3A 0F C1 08", 6, "palignr: immediate in the 0F 3A map"},
    LengthCase{"0F 0F C1 B4", 4, "3DNow! pfmul: operation byte after ModRM"},
    // Invalid opcodes and the 15-byte limit.
    LengthCase{"0F 04", kInvalid, "undefined two-byte opcode"},
    LengthCase{"0F 36", kInvalid, "undefined two-byte opcode"},
    LengthCase{"0F A6", kInvalid, "undefined two-byte opcode"},
    LengthCase{"66 66 66 66 66 66 66 66 66 66 66 66 66 66 90", 15, "15 bytes is the limit"},
    LengthCase{"66 66 66 66 66 66 66 66 66 66 66 66 66 66 66 90", kInvalid, "16 bytes"},
    LengthCase{"F3 F3 F3 F3 F3 F3 F3 F3 F3 F3 81 C1 78 56 34 12", kInvalid, "16 bytes"},
    // Code that ends early.
    LengthCase{"", kTruncated, "nothing"},
    LengthCase{"66", kTruncated, "prefix only"},
    LengthCase{"0F", kTruncated, "escape only"},
    LengthCase{"0F 38", kTruncated, "three-byte escape only"},
    LengthCase{"8B", kTruncated, "ModRM missing"},
    LengthCase{"8B 04", kTruncated, "SIB missing"},
    LengthCase{"E8 00 00", kTruncated, "displacement cut short"}));

TEST(InstructionLength, ReadsThroughTheMemorySpace) {
  BufferMemorySpace memory;
  memory.Map(0x401000, Hex("8B 44 24 08 0F 36 E8 00 00"));
  uint8_t length = 0;
  EXPECT_TRUE(InstructionLength(memory, 0x401000, length));
  EXPECT_EQ(length, 4);
  EXPECT_FALSE(InstructionLength(memory, 0x401004, length)) << "invalid opcode";
  EXPECT_FALSE(InstructionLength(memory, 0x401006, length)) << "runs into unmapped memory";
  EXPECT_FALSE(InstructionLength(memory, 0x500000, length)) << "unmapped";

  // An instruction that continues into the next readable block is whole.
  memory.Map(0x401009, Hex("00 00 C3"));
  EXPECT_TRUE(InstructionLength(memory, 0x401006, length));
  EXPECT_EQ(length, 5);
}

struct SizeCase {
  const char* code;
  uint32_t limit;
  uint32_t expected;
  const char* what;
};

class FunctionSizeTable : public testing::TestWithParam<SizeCase> {};

TEST_P(FunctionSizeTable, EndsAtTheFirstReturn) {
  const SizeCase& c = GetParam();
  BufferMemorySpace memory;
  memory.Map(0x401000, Hex(c.code));
  EXPECT_EQ(FunctionSize(memory, 0x401000, c.limit), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, FunctionSizeTable, testing::Values(
    SizeCase{"55 8B EC 8B 45 08 5D C3 CC CC", 100, 8, "push ebp ... ret"},
    SizeCase{"8B 44 24 04 C2 04 00 CC", 100, 7, "ret imm16"},
    SizeCase{"F3 C3 CC", 100, 2, "rep ret"},
    SizeCase{"CB", 100, 1, "retf"},
    SizeCase{"CA 08 00", 100, 3, "retf imm16"},
    SizeCase{"C7 00 01 00 00 00 C9 C3", 100, 8, "mov [eax], imm32 and leave do not end a function"},
    SizeCase{"C6 00 C3 C3", 100, 4, "a C3 inside an immediate is no return"},
    SizeCase{"0F C2 C1 00 C3", 100, 5, "cmpps (0F C2) is no return"},
    SizeCase{"0F 36 90 C3", 100, 4, "an invalid opcode counts one byte"},
    SizeCase{"90 90 90 90 C3", 5, 5, "return ends exactly at the limit"},
    SizeCase{"90 90 90 90 C3", 4, 1, "no return within the limit"},
    SizeCase{"90 90 90", 100, 1, "runs into unreadable memory"}));

}  // namespace
