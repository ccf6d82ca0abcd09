#include "crashreport/callstack/disasm/follow_thunk.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(FollowThunk, FollowsAnIndirectJumpThroughAReadablePointer) {
  BufferMemorySpace memory;
  memory.Map(0x401000, {0xFF, 0x25, 0x00, 0x20, 0x40, 0x00, 0x90, 0x90,   // jmp [0x402000]
                        0xFF, 0x25, 0x00, 0x30, 0x40, 0x00, 0x90, 0x90,   // jmp [0x403000], unmapped
                        0xFF, 0x15, 0x00, 0x20, 0x40, 0x00, 0x90, 0x90,   // call [0x402000]
                        0xFF, 0x25, 0x00, 0x20});                          // cut short
  memory.Map(0x402000, {0x78, 0x56, 0x34, 0x12}, kPageReadOnly);
  EXPECT_EQ(FollowThunk(memory, 0x401000), 0x12345678u);
  EXPECT_EQ(FollowThunk(memory, 0x401008), 0x401008u);
  EXPECT_EQ(FollowThunk(memory, 0x401010), 0x401010u);
  EXPECT_EQ(FollowThunk(memory, 0x401018), 0x401018u);  // fewer than 8 readable bytes
  EXPECT_EQ(FollowThunk(memory, 0x500000), 0x500000u);
}

}  // namespace
