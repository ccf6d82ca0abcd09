#include "crashreport/callstack/hooks/code_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

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

TEST(WriteCodeAtOnce, ReplacesOnlyTheRangeInAlignedOrUnalignedWindows) {
  const std::vector<uint8_t> before = Hex("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11");
  const std::vector<uint8_t> patch = Hex("A0 A1 A2 A3 A4 A5 A6 A7");
  struct Case {
    size_t offset, size;
  };
  for (const Case c : {Case{1, 5}, Case{3, 5}, Case{5, 5}, Case{8, 8}, Case{9, 8}, Case{7, 1}}) {
    ExecutableCode code(before);
    ASSERT_TRUE(WriteCodeAtOnce(code.Start() + c.offset, patch.data(), c.size)) << c.offset << "+" << c.size;
    std::vector<uint8_t> expected = before;
    std::copy_n(patch.begin(), c.size, expected.begin() + c.offset);
    EXPECT_EQ(code.Bytes(), expected) << c.offset << "+" << c.size;
    EXPECT_EQ(ProtectionAt(code.Start()), DWORD(PAGE_EXECUTE_READ));
  }
  ExecutableCode code(before);
  EXPECT_FALSE(WriteCodeAtOnce(code.Start(), patch.data(), 9)) << "more than one exchange holds";
  EXPECT_EQ(code.Bytes(), before);
}

TEST(WriteCodeAtOnce, AThreadReadingTheCodeNeverSeesHalfAWrite) {
  const std::vector<uint8_t> routine = Hex("8B 44 24 04 83 C0 01 C3");
  const std::vector<uint8_t> jump = Hex("E9 10 20 30 40");
  ExecutableCode code(routine);
  auto* const head = reinterpret_cast<uint64_t*>(code.Start());
  uint64_t plain, patched;
  std::memcpy(&plain, routine.data(), 8);
  std::memcpy(&patched, routine.data(), 8);
  std::memcpy(&patched, jump.data(), jump.size());

  std::atomic<bool> stop{false};
  std::atomic<unsigned> reads{0}, halfWritten{0};
  std::thread reader([&] {
    while (!stop) {
      const uint64_t seen = __atomic_load_n(head, __ATOMIC_SEQ_CST);
      if (seen != plain && seen != patched) halfWritten.fetch_add(1);
      reads.fetch_add(1);
    }
  });
  while (reads == 0) std::this_thread::yield();
  for (int i = 0; i < 5000; ++i) {
    ASSERT_TRUE(WriteCodeAtOnce(head, jump.data(), jump.size()));
    ASSERT_TRUE(WriteCodeAtOnce(head, routine.data(), jump.size()));
  }
  stop = true;
  reader.join();
  EXPECT_EQ(halfWritten, 0u) << "of " << reads << " reads";
}

TEST(WriteJump, WritesE9WithTheDistanceFromTheNextInstruction) {
  ExecutableCode code(Hex("90 90 90 90 90 90 90 90 C3"));
  ASSERT_TRUE(WriteJump(code.Start() + 1, code.Start() + 8));
  EXPECT_EQ(code.Bytes(), Hex("90 E9 02 00 00 00 90 90 C3"));
  EXPECT_EQ(ProtectionAt(code.Start()), DWORD(PAGE_EXECUTE_READ));
  code.As<void (*)()>()();  // runs: nop, jump over the nops to ret
}

}  // namespace
