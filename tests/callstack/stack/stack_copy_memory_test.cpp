#include "crashreport/callstack/stack/stack_copy_memory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace tarvex;

TEST(StackCopyMemory, ReadsTheCopyInsideItsRangeAndTheSpaceUnderneathOutside) {
  BufferMemorySpace live;
  live.Map(0x1000, std::vector<uint8_t>(0x100, 0xAA), kPageReadWrite);
  const std::vector<uint8_t> copy(0x20, 0x11);
  const StackCopyMemory memory(live, 0x1040, copy.data(), 0x20);

  uint8_t bytes[0x30];
  ASSERT_TRUE(ReadMemory(memory, 0x1030, bytes, sizeof bytes));  // live, copy, live
  for (size_t i = 0; i < sizeof bytes; ++i)
    EXPECT_EQ(bytes[i], i >= 0x10 && i < 0x30 ? 0x11 : 0xAA) << i;

  const struct {
    uint32_t address, base, size;
  } regions[] = {{0x1000, 0x1000, 0x40}, {0x1050, 0x1040, 0x20}, {0x1060, 0x1060, 0xA0}};
  for (const auto& r : regions) {
    MemoryRegion region;
    ASSERT_TRUE(memory.QueryRegion(r.address, region));
    EXPECT_EQ(region.base, r.base) << std::hex << r.address;
    EXPECT_EQ(region.size, r.size) << std::hex << r.address;
  }
  EXPECT_EQ(ReadableBytes(memory, 0x1000, 0x100), 0x100u);
  EXPECT_FALSE(IsReadableBlock(memory, 0x10F0, 0x20));  // past the live block
}

TEST(StackCopyMemory, ACopyOverUnreadableMemoryIsReadable) {
  BufferMemorySpace live;  // nothing mapped
  const std::vector<uint8_t> copy = {1, 2, 3, 4, 5, 6, 7, 8};
  const StackCopyMemory memory(live, 0xFFFFFFF8, copy.data(), 8);  // up to the end of the address space
  uint32_t value = 0;
  ASSERT_TRUE(ReadValue(memory, 0xFFFFFFFC, value));
  EXPECT_EQ(value, 0x08070605u);
  EXPECT_FALSE(IsReadableBlock(memory, 0xFFFFFFF0, 8));
}

}  // namespace
