#include "crashreport/callstack/stack/thread_trace.h"

#include <gtest/gtest.h>

#include "crashreport/callstack/stack/stack_text.h"
#include "tests/callstack/stack/synthetic_modules.h"

namespace {

using namespace tarvex;
using tarvex::testing::SyntheticModules;

TEST(IsTracedThread, FollowsTheOptionBitsForFrameworkAndOtherThreads) {
  int object = 0;
  const struct {
    uint32_t threadID;
    bool threadObject;
    uint32_t options;
    bool traced;
  } cases[] = {
      {10, false, kTraceOtherThreads, true},     {10, false, kTraceFrameworkThreads, false},
      {10, true, kTraceFrameworkThreads, true},  {10, true, kTraceOtherThreads, false},
      {1, false, kTraceFrameworkThreads, true},  {1, false, kTraceOtherThreads, false},  // the main thread
      {7, false, kTraceOtherThreads | kTraceFrameworkThreads, false},                  // the exception thread
      {10, false, kShowProcedures | kShowUnits, false},
  };
  for (const auto& c : cases) {
    TTarvexThreadInfo entry;
    entry.ThreadID = c.threadID;
    entry.ThreadObject = c.threadObject ? &object : nullptr;
    EXPECT_EQ(IsTracedThread(entry, 7, 1, c.options), c.traced) << c.threadID << " " << c.options;
  }
}

class ThreadTraceTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kCode = 0x401000, kReturnA = kCode + 0x102, kReturnB = kCode + 0x202;
  ThreadTraceTest() {
    std::vector<uint8_t> code(0x1000, 0x90);
    code[0x100] = 0xFF, code[0x101] = 0xD0;  // call eax, returns to kReturnA
    code[0x200] = 0xFF, code[0x201] = 0xD6;  // call esi, returns to kReturnB
    memory.Map(kCode, code);
    modules.AddModule(0x400000, 0x2000, "C:\\app\\Program.exe");
  }
  static std::vector<uint8_t> Slots(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : values)
      for (int b = 0; b < 4; ++b) bytes.push_back(uint8_t(v >> (8 * b)));
    return bytes;
  }
  BufferMemorySpace memory;
  SyntheticModules modules;
  CallStackContext context{memory, modules, nullptr, nullptr, {}};
};

TEST_F(ThreadTraceTest, SavedStackIsWalkedAtItsOwnPlaceWithTheStarterThread) {
  TTarvexThreadInfo entry;
  entry.ThreadID = 20;
  entry.SavedStackThreadID = 5;
  entry.SavedStack = Slots({0, kReturnA, 0x1234, kReturnB});
  entry.SavedStackAddress = 0x7F000;  // not mapped any more: the copy stands in
  TTarvexStackList list;
  WalkSavedStack(context, entry, list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].Address, kReturnA - 2);
  EXPECT_EQ(list[1].Address, kReturnB - 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(list[i].Tag, 0);
    EXPECT_EQ(list[i].ThreadID, 5u);
  }

  entry.SavedStack.clear();
  WalkSavedStack(context, entry, list);
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(ThreadTraceTest, ExceptionThreadGetsItsOwnStackThenItsSavedStack) {
  memory.Map(0x120000, Slots({kReturnB, 0x55}), kPageReadWrite);
  TTarvexThreadsList threads;
  TTarvexThreadInfo* entry = threads.AddEntry();
  entry->ThreadID = 9;
  entry->SavedStackThreadID = 3;
  entry->SavedStack = Slots({kReturnA});
  entry->SavedStackAddress = 0x130000;
  const TTarvexThreadsList snapshot(threads);

  auto list = TraceExceptionThread(context, kCode + 0x10, 0x120000, 0x120004, 9, snapshot);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ((*list)[0].Address, kCode + 0x10u);
  EXPECT_EQ((*list)[0].IsExceptionPoint, 1);
  EXPECT_EQ((*list)[1].Address, kReturnB - 2);
  EXPECT_EQ((*list)[1].Tag, 1);
  EXPECT_EQ((*list)[2].Address, kReturnA - 2);
  EXPECT_EQ((*list)[2].Tag, 0);
  EXPECT_EQ((*list)[2].ThreadID, 3u);

  // A thread the snapshot does not know has no saved stack to add.
  EXPECT_EQ(TraceExceptionThread(context, 0, 0x120000, 0x120004, 8, snapshot)->Count(), 1);
}

TEST_F(ThreadTraceTest, CopiedStackStandsInForTheLiveOne) {
  memory.Map(0x120000, Slots({0, 0, 0, 0}), kPageReadWrite);  // the live stack changed since the copy
  const std::vector<uint8_t> copy = Slots({kReturnA, 0, kReturnB});
  TTarvexStackList list;
  WalkCopiedStack(context, list, 33, 0x120000, 0x12000C, copy.data(), uint32_t(copy.size()));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].Address, kReturnA - 2);
  EXPECT_EQ(list[1].Address, kReturnB - 2);
  EXPECT_EQ(list[1].ThreadID, 33u);
  EXPECT_EQ(list[1].Tag, 1);
}

}  // namespace
