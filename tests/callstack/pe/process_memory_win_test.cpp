#include "crashreport/callstack/pe/process_memory_win.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(ProcessMemory, CodeAndStackAreReadableFreeAndGuardedAreNot) {
  const auto& memory = ThisProcessMemory();
  int local = 0;
  EXPECT_TRUE(IsReadableBlock(memory, uint32_t(uintptr_t(&local)), sizeof local));
  EXPECT_TRUE(IsReadableBlock(memory, uint32_t(uintptr_t(&ThisProcessMemory)), 16));
  EXPECT_FALSE(IsReadableBlock(memory, 0, 4));

  const uint32_t page = 4096;
  auto* block = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(block, nullptr);
  ASSERT_NE(VirtualAlloc(block, page, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD), nullptr);
  EXPECT_FALSE(IsReadableBlock(memory, uint32_t(uintptr_t(block)), 4));        // guard page
  EXPECT_FALSE(IsReadableBlock(memory, uint32_t(uintptr_t(block + page)), 4)); // reserved only
  ASSERT_NE(VirtualAlloc(block + page, page, MEM_COMMIT, PAGE_READONLY), nullptr);
  EXPECT_TRUE(IsReadableBlock(memory, uint32_t(uintptr_t(block + page)), page));
  EXPECT_FALSE(IsReadableBlock(memory, uint32_t(uintptr_t(block + page)), page + 1));
  VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace
