#include <gtest/gtest.h>

#include "crashreport/callstack/stack/threads_list.h"
#include "crashreport/report/composer/thread_details.h"

namespace tarvex {
namespace {

class ThreadDetailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TTarvexThreadInfo* known = threads.AddEntry();
    known->ThreadID = 100;
    known->Priority = 2;
    TTarvexThreadInfo* unknown = threads.AddEntry();
    unknown->ThreadID = 200;
    unknown->Handle = 0x44;
    lookup.threads = &threads;
    lookup.mainThreadID = 100;
    lookup.readPriority = [this](uint32_t handle) -> std::optional<int32_t> {
      ++reads;
      if (handle == 0x44) return -1;
      return std::nullopt;
    };
  }
  TTarvexThreadsList threads;
  ThreadLookup lookup;
  int reads = 0;
};

TEST_F(ThreadDetailsTest, ListedPriorityAndTheMainThreadMark) {
  const ThreadDetails details = DescribeThread(lookup, 100);
  EXPECT_EQ(details.priority, "2");
  EXPECT_TRUE(details.isMainThread);
  EXPECT_EQ(reads, 0);
}

TEST_F(ThreadDetailsTest, AnUnknownPriorityIsReadOnceAndStoredBack) {
  EXPECT_EQ(DescribeThread(lookup, 200).priority, "-1");
  EXPECT_EQ(threads[1].Priority, uint32_t(-1));
  EXPECT_EQ(DescribeThread(lookup, 200).priority, "-1");
  EXPECT_EQ(reads, 1);
  EXPECT_FALSE(DescribeThread(lookup, 200).isMainThread);
}

TEST_F(ThreadDetailsTest, AnUnlistedThreadOrAFailedReadPrintsQuestionMarks) {
  EXPECT_EQ(DescribeThread(lookup, 300).priority, "??");
  threads[1].Handle = 0x99;  // the system refuses to read it
  EXPECT_EQ(DescribeThread(lookup, 200).priority, "??");
}

}  // namespace
}  // namespace tarvex
