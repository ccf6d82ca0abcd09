#include "crashreport/callstack/hooks/code_writer.h"

#include <gtest/gtest.h>

#include "tests/callstack/hooks/executable_code_win.h"
#include "tests/support/hex_bytes.h"

namespace {

using namespace tarvex;
using namespace tarvex::testsupport;

TEST(WriteCode, WritesThroughAnyProtectionAndGivesEachPageItsOwnBack) {
  const DWORD page = 4096;
  auto* block = static_cast<uint8_t*>(VirtualAlloc(nullptr, 3 * page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(block, nullptr);
  ASSERT_NE(VirtualAlloc(block, page, MEM_COMMIT, PAGE_READONLY), nullptr);
  ASSERT_NE(VirtualAlloc(block + page, page, MEM_COMMIT, PAGE_EXECUTE_READ), nullptr);

  const std::vector<uint8_t> data = Hex("11 22 33 44 55 66 77 88");
  uint8_t* const across = block + page - 3;  // 3 bytes on the read-only page, 5 on the code page
  ASSERT_TRUE(WriteCode(across, data.data(), data.size()));
  EXPECT_EQ(std::vector<uint8_t>(across, across + data.size()), data);
  EXPECT_EQ(ProtectionAt(block), DWORD(PAGE_READONLY));
  EXPECT_EQ(ProtectionAt(block + page), DWORD(PAGE_EXECUTE_READ));

  // The third page is only reserved: nothing is written and no page stays writable.
  uint8_t* const intoReserved = block + 2 * page - 2;
  EXPECT_FALSE(WriteCode(intoReserved, data.data(), 4));
  EXPECT_EQ(intoReserved[0], 0);
  EXPECT_EQ(ProtectionAt(block + page), DWORD(PAGE_EXECUTE_READ));
  VirtualFree(block, 0, MEM_RELEASE);
}

TEST(WriteJump, WritesE9WithTheDistanceFromTheNextInstruction) {
  ExecutableCode code(Hex("90 90 90 90 90 90 90 90 C3"));
  ASSERT_TRUE(WriteJump(code.Start() + 1, code.Start() + 8));
  EXPECT_EQ(code.Bytes(), Hex("90 E9 02 00 00 00 90 90 C3"));
  EXPECT_EQ(ProtectionAt(code.Start()), DWORD(PAGE_EXECUTE_READ));
  code.As<void (*)()>()();  // runs: nop, jump over the nops to ret
}

}  // namespace
