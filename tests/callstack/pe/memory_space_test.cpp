#include "crashreport/callstack/pe/memory_space.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

// Three adjacent blocks: readable, readable, guard page; then a gap; then a
// read-only block.
BufferMemorySpace Fixture() {
  BufferMemorySpace memory;
  memory.Map(0x1000, std::vector<uint8_t>(0x1000, 0xAA), kPageExecuteRead);
  memory.Map(0x2000, std::vector<uint8_t>(0x1000, 0xBB), kPageReadWrite);
  memory.Map(0x3000, std::vector<uint8_t>(0x1000, 0xCC), kPageReadWrite | kPageGuard);
  memory.Map(0x8000, std::vector<uint8_t>(0x10, 0xDD), kPageReadOnly);
  return memory;
}

TEST(ReadableBytes, SumsRegionsUntilTheSizeIsReached) {
  const auto memory = Fixture();
  EXPECT_EQ(ReadableBytes(memory, 0x1F00, 0x10), 0x100u);        // first region suffices
  EXPECT_EQ(ReadableBytes(memory, 0x1F00, 0x200), 0x1100u);      // spills into the second
  EXPECT_EQ(ReadableBytes(memory, 0x1F00, 0x1200), 0u);          // reaches the guard page
  EXPECT_EQ(ReadableBytes(memory, 0x5000, 1), 0u);               // free memory
  EXPECT_EQ(ReadableBytes(memory, 0x800F, 2), 0u);               // runs off the end
}

TEST(IsReadableBlock, ExactProtectionKindsOnly) {
  const uint32_t cases[][2] = {{kPageReadOnly, 1}, {kPageReadWrite, 1}, {kPageWriteCopy, 1},
                               {kPageExecute, 1}, {kPageExecuteRead, 1}, {kPageExecuteReadWrite, 1},
                               {kPageExecuteWriteCopy, 1}, {kPageNoAccess, 0},
                               {kPageReadWrite | kPageGuard, 0}, {kPageReadOnly | 0x200 /* no cache */, 0}};
  for (const auto& [protect, readable] : cases) {
    BufferMemorySpace memory;
    memory.Map(0x10000, std::vector<uint8_t>(16), protect);
    EXPECT_EQ(IsReadableBlock(memory, 0x10000, 16), readable != 0) << std::hex << protect;
  }
}

TEST(ReadMemory, CopiesAcrossBlocksAndRefusesUnreadable) {
  const auto memory = Fixture();
  uint8_t bytes[4] = {};
  ASSERT_TRUE(ReadMemory(memory, 0x1FFE, bytes, 4));
  EXPECT_EQ(bytes[0], 0xAA);
  EXPECT_EQ(bytes[1], 0xAA);
  EXPECT_EQ(bytes[2], 0xBB);
  EXPECT_EQ(bytes[3], 0xBB);
  uint32_t value = 0x12345678;
  EXPECT_FALSE(ReadValue(memory, 0x2FFE, value));
  EXPECT_EQ(value, 0x12345678u);
}

}  // namespace
