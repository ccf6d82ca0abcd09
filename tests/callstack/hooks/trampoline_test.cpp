#include "crashreport/callstack/hooks/trampoline.h"

#include <gtest/gtest.h>

#include "tests/support/hex_bytes.h"

#include <string>

namespace {

using namespace tarvex;

constexpr uint32_t kTarget = 0x401000;
constexpr uint32_t kTrampoline = 0x7F0000;

using testsupport::Hex;

// Where the relative branch at `offset` of the trampoline goes: E8/E9 rel32,
// 0F 8x rel32, or a one-byte opcode with rel8.
uint32_t BranchDestination(const std::vector<uint8_t>& code, size_t offset) {
  const uint8_t op = code.at(offset);
  if (op == 0xE8 || op == 0xE9 || op == 0x0F) {
    const size_t at = offset + (op == 0x0F ? 2 : 1);
    const uint32_t rel = code.at(at) | code.at(at + 1) << 8 | code.at(at + 2) << 16 | uint32_t(code.at(at + 3)) << 24;
    return kTrampoline + uint32_t(at + 4) + rel;
  }
  return kTrampoline + uint32_t(offset + 2) + uint32_t(int8_t(code.at(offset + 1)));
}

struct BuildCase {
  const char* what;
  const char* code;             // at kTarget
  size_t copied;                // whole instructions, at least 5 bytes
  std::vector<size_t> branches; // offsets of relocated branches in the copy
  std::vector<uint32_t> reach;  // where each of them must end up (via its stub for short jumps)
};

TEST(Trampoline, CopiesWholeInstructionsAndRelocatesBranchesThatLeaveTheCopy) {
  const BuildCase cases[] = {
      {"plain prologue", "55 8B EC 83 EC 10 C3", 6, {}, {}},
      {"short jump out of the copy", "EB 05 CC CC CC CC CC B8 2A 00 00 00 C3", 5, {0}, {kTarget + 7}},
      {"jecxz after a 4-byte load", "8B 4C 24 04 E3 06 B8 01 00 00 00 C3", 6, {4}, {kTarget + 12}},
      {"backward short jump", "90 90 90 90 75 F8", 6, {4}, {kTarget - 2}},
      {"short jump inside the copy stays", "EB 01 90 B8 07 00 00 00 C3", 8, {}, {}},
      {"rel32 call", "E8 FB 0F 00 00 83 C0 01 C3", 5, {0}, {0x402000}},
      {"rel32 jcc", "31 C0 0F 84 06 00 00 00 B8 03", 8, {2}, {kTarget + 14}},
      {"rel32 jump to the copy's start stays", "E9 FB FF FF FF", 5, {}, {}},
      {"invalid opcode counts one byte", "0F 36 90 90 90 90", 5, {}, {}},
  };
  for (const BuildCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> original = Hex(c.code);
    BufferMemorySpace memory;
    memory.Map(kTarget, original);
    TrampolinePlan plan;
    ASSERT_TRUE(PlanTrampoline(memory, kTarget, plan));
    ASSERT_EQ(plan.original.size(), c.copied);
    EXPECT_TRUE(std::equal(plan.original.begin(), plan.original.end(), original.begin()));

    const std::vector<uint8_t> code = BuildTrampoline(plan, kTarget, kTrampoline);
    size_t shortJumps = 0;
    for (size_t i = 0; i < c.branches.size(); ++i) {
      uint32_t destination = BranchDestination(code, c.branches[i]);
      if (code[c.branches[i]] != 0xE8 && code[c.branches[i]] != 0xE9 && code[c.branches[i]] != 0x0F) {
        ++shortJumps;
        ASSERT_EQ(destination, kTrampoline + c.copied + kJumpSize * shortJumps) << "short jump aims at its stub";
        destination = BranchDestination(code, destination - kTrampoline);
      }
      EXPECT_EQ(destination, c.reach[i]) << "branch " << i;
    }
    EXPECT_EQ(plan.stubCount, shortJumps);
    ASSERT_EQ(code.size(), c.copied + kJumpSize * (1 + shortJumps));
    EXPECT_EQ(code[c.copied], 0xE9);
    EXPECT_EQ(BranchDestination(code, c.copied), kTarget + c.copied) << "jump back";
    // Everything that is not a relocated displacement is copied as it was.
    for (size_t i = 0; i < c.copied; ++i) {
      bool relocated = false;
      for (size_t b : c.branches) relocated |= i > b && i < b + (code[b] == 0x0F ? 6 : code[b] >= 0xE8 ? 5 : 2);
      if (!relocated) {
        EXPECT_EQ(code[i], original[i]) << "byte " << i;
      }
    }
  }
}

TEST(Trampoline, RefusesCodeItCannotReadOrMove) {
  BufferMemorySpace memory;
  memory.Map(kTarget, Hex("90 90 90"));                    // ends before 5 bytes
  memory.Map(kTarget + 0x100, Hex("66 E8 00 00 90 90 90"));  // call rel16
  memory.Map(kTarget + 0x200, Hex("66 EB 10 90 90 90 90"));  // jmp rel8 with 16-bit IP
  TrampolinePlan plan;
  EXPECT_FALSE(PlanTrampoline(memory, kTarget, plan));
  EXPECT_FALSE(PlanTrampoline(memory, kTarget + 0x100, plan));
  EXPECT_FALSE(PlanTrampoline(memory, kTarget + 0x200, plan));
  EXPECT_FALSE(PlanTrampoline(memory, 0x10, plan));
}

TEST(Trampoline, JumpBytesAreE9WithTheDistanceFromTheNextInstruction) {
  EXPECT_EQ(JumpBytes(0x401000, 0x402000), (std::array<uint8_t, 5>{0xE9, 0xFB, 0x0F, 0x00, 0x00}));
  EXPECT_EQ(JumpBytes(0x402000, 0x401000), (std::array<uint8_t, 5>{0xE9, 0xFB, 0xEF, 0xFF, 0xFF}));
}

}  // namespace
