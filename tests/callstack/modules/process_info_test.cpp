#include "crashreport/callstack/modules/process_info.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(ProcessesList, SortsByIdAndCountsThreadsOfTheirOwners) {
  TTarvexProcessesList list;
  for (uint32_t id : {400u, 8u, 1200u, 36u}) list.Add(std::make_unique<TTarvexProcessInfo>())->ProcessID = id;
  list.SortByProcessID();
  std::vector<uint32_t> ids;
  for (int i = 0; i < list.Count(); ++i) ids.push_back(list[i].ProcessID);
  EXPECT_EQ(ids, (std::vector<uint32_t>{8, 36, 400, 1200}));
  EXPECT_EQ(list.IndexOfProcessID(400), 2);
  EXPECT_EQ(list.IndexOfProcessID(9), -1);
  EXPECT_EQ(list.IndexOfProcessID(5000), -1);

  ThreadCounter counter(list);
  for (uint32_t owner : {8u, 8u, 1200u, 8u, 36u, 36u, 36u, 77u}) counter.CountThreadOf(owner);
  EXPECT_EQ(list[0].Threads, 3u);
  EXPECT_EQ(list[1].Threads, 3u);
  EXPECT_EQ(list[2].Threads, 0u);
  EXPECT_EQ(list[3].Threads, 1u);
}

}  // namespace
