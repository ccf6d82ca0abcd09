#include "crashreport/callstack/stack/threads_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "crashreport/callstack/stack/stack_walk.h"

namespace {

using namespace tarvex;

TEST(ThreadsList, NewEntriesAreZeroedWithUnknownPriority) {
  TTarvexThreadsList list;
  TTarvexThreadInfo* entry = list.AddEntry();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(entry->Priority, kPriorityUnknown);
  EXPECT_EQ(entry->ThreadID, 0u);
  EXPECT_EQ(entry->ThreadObject, nullptr);
  EXPECT_TRUE(entry->SavedStack.empty());
  EXPECT_FALSE(list.IsSnapshot());
}

TEST(ThreadsList, LookupsFindTheLastMatchingEntry) {
  TTarvexThreadsList list;
  int object = 0;
  for (uint32_t i = 0; i < 4; ++i) {
    TTarvexThreadInfo* e = list.AddEntry();
    e->ThreadID = 100 + i;
    e->Handle = i < 2 ? 0x40 : 0x50;  // a handle value reused after a thread ended
    e->ThreadObject = i == 1 ? &object : nullptr;
  }
  EXPECT_EQ(list.IndexOfHandle(0x40), 1);
  EXPECT_EQ(list.IndexOfHandle(0x50), 3);
  EXPECT_EQ(list.IndexOfHandle(0x60), -1);
  EXPECT_EQ(list.IndexOfThreadID(102), 2);
  EXPECT_EQ(list.IndexOfThreadID(7), -1);
  EXPECT_EQ(list.IndexOfThreadObject(&object), 1);
  EXPECT_EQ(list.IndexOfThreadObject(nullptr), 3);
}

TEST(ThreadsList, SnapshotCopiesEveryEntryAndOutlivesTheSource) {
  auto source = std::make_unique<TTarvexThreadsList>();
  TTarvexThreadInfo* e = source->AddEntry();
  e->ThreadID = 5;
  e->StackTop = 0x130000;
  e->SavedStack = {1, 2, 3, 4};
  TTarvexThreadsList snapshot(*source);
  e->SavedStack[0] = 9;
  source.reset();
  EXPECT_TRUE(snapshot.IsSnapshot());
  ASSERT_EQ(snapshot.Count(), 1);
  EXPECT_EQ(snapshot[0].ThreadID, 5u);
  EXPECT_EQ(snapshot[0].StackTop, 0x130000u);
  EXPECT_EQ(snapshot[0].SavedStack, (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(ThreadsList, SnapshotWaitsForAWriterToFinish) {
  TTarvexThreadsList list;
  std::atomic<bool> writing{false};
  std::thread writer;
  {
    ThreadsWriteLock lock(list);
    writer = std::thread([&] {
      writing = true;
      TTarvexThreadsList snapshot(list);  // blocks until the write lock is released
      EXPECT_EQ(snapshot.Count(), 2);
    });
    while (!writing) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    list.AddEntry();
    list.AddEntry();
  }
  writer.join();
}

TEST(SaveResumerStack, CopiesTheUsedStackWhenReadable) {
  BufferMemorySpace memory;
  std::vector<uint8_t> stack(0x30000);
  for (size_t i = 0; i < stack.size(); ++i) stack[i] = uint8_t(i * 7);
  memory.Map(0x100000, stack, kPageReadWrite);

  TTarvexThreadInfo entry;
  SaveResumerStack(entry, 12, 0x100010, 0x100110, memory);
  EXPECT_EQ(entry.SavedStackThreadID, 12u);
  EXPECT_EQ(entry.SavedStack, std::vector<uint8_t>(stack.begin() + 0x10, stack.begin() + 0x110));

  // Only what a walk scans is kept of a deep stack.
  SaveResumerStack(entry, 13, 0x100000, 0x130000, memory);
  EXPECT_EQ(entry.SavedStack.size(), kMaxStackScan + 4);
  EXPECT_EQ(entry.SavedStack[kMaxStackScan], stack[kMaxStackScan]);

  // Unreadable, or an empty range: the previous copy is dropped, none taken.
  SaveResumerStack(entry, 14, 0x200000, 0x200100, memory);
  EXPECT_EQ(entry.SavedStackThreadID, 14u);
  EXPECT_TRUE(entry.SavedStack.empty());
  SaveResumerStack(entry, 15, 0x100100, 0x100100, memory);
  EXPECT_TRUE(entry.SavedStack.empty());
}

}  // namespace
