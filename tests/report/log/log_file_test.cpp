// TLogFile over files kept in memory: the number of reports kept, the lock, and
// files the log must not write.
#include <gtest/gtest.h>

#include "crashreport/report/log/log_file.h"
#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/report_items.h"
#include "tests/report/log/log_fixtures.h"
#include "tests/report/log/memory_log_storage.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

constexpr char kLog[] = "C:\\Apps\\ZorvikCalc.elf";

std::string NumberedReport(int number) {
  return OtherException(MinimalReport(), "ID" + std::to_string(number), "report " + std::to_string(number));
}

class LogFile : public ::testing::Test {
 protected:
  // A log of `count` reports numbered 1 to count.
  void Store(int count) {
    std::vector<std::string> reports;
    for (int i = 1; i <= count; ++i) reports.push_back(NumberedReport(i));
    storage.files[kLog] = WriteLogText(reports);
  }
  std::vector<std::string> Messages(const TLogFile& log) {
    std::vector<std::string> messages;
    for (size_t i = 0; i < log.Count(); ++i) messages.push_back(log.GetItemValue(kItemMessage, i));
    return messages;
  }

  MemoryLogStorage storage;
  TLogFile log{storage};
};

TEST_F(LogFile, AMissingFileIsAnEmptyLogThatSavingCreates) {
  ASSERT_EQ(log.Open(kLog), LogError::None);
  EXPECT_EQ(log.Count(), 0u);
  log.AddReport(FullReport(), 32);
  ASSERT_EQ(log.Save(), LogError::None);
  EXPECT_EQ(storage.files[kLog], WriteLogText({FullReport()}));
}

TEST_F(LogFile, TheMaximumKeepsTheNewestReports) {
  const struct {
    int stored, maxCount;
    std::vector<std::string> kept;
  } cases[] = {
      {3, 3, {"report 2", "report 3", "report 4"}},
      {5, 3, {"report 4", "report 5", "report 6"}},
      {2, 3, {"report 1", "report 2", "report 3"}},
      {3, 1, {"report 4"}},
      {3, 0, {"report 4"}},
  };
  for (const auto& c : cases) {
    Store(c.stored);
    ASSERT_EQ(log.Open(kLog), LogError::None);
    log.AddReport(NumberedReport(c.stored + 1), c.maxCount);
    EXPECT_EQ(Messages(log), c.kept) << c.stored << " stored, at most " << c.maxCount;
    ASSERT_EQ(log.Save(), LogError::None);
    EXPECT_EQ(ReadLogText(storage.files[kLog]), log.Reports());
  }
}

TEST_F(LogFile, MinusOneNeverDeletes) {
  Store(40);
  ASSERT_EQ(log.Open(kLog), LogError::None);
  log.AddReport(NumberedReport(41), -1);
  ASSERT_EQ(log.Save(), LogError::None);
  ASSERT_EQ(log.Open(kLog), LogError::None);
  ASSERT_EQ(log.Count(), 41u);
  EXPECT_EQ(log.GetItemValue(kItemMessage, 0), "report 1");
  EXPECT_EQ(log.GetItemValue(kItemMessage, 40), "report 41");
}

// Four line breaks inside a report (the CPU block after an empty listing)
// survive reading and saving again.
TEST_F(LogFile, AReportWithFourLineBreaksInARowStaysWhole) {
  ASSERT_EQ(log.Open(kLog), LogError::None);
  log.AddReport(EmptyListingReport(), 32);
  log.AddReport(FullReport(), 32);
  ASSERT_EQ(log.Save(), LogError::None);
  const std::string saved = storage.files[kLog];
  ASSERT_EQ(log.Open(kLog), LogError::None);
  ASSERT_EQ(log.Count(), 2u);
  EXPECT_EQ(log.Report(0), EmptyListingReport());
  ASSERT_EQ(log.Save(), LogError::None);
  EXPECT_EQ(storage.files[kLog], saved);
}

TEST_F(LogFile, TheLockIsHeldWhileTheLogIsOpenForWriting) {
  ASSERT_EQ(log.Open(kLog), LogError::None);
  EXPECT_EQ(storage.locksHeld, 1);
  log.Close();
  EXPECT_EQ(storage.locksHeld, 0);
  ASSERT_EQ(log.Open(kLog, true), LogError::None);
  EXPECT_EQ(storage.locksTaken, 2);
  EXPECT_EQ(storage.locksHeld, 0);
  EXPECT_EQ(log.Save(), LogError::NotOpen);
  EXPECT_FALSE(storage.files.contains(kLog));
}

TEST_F(LogFile, ALockHeldElsewhereLeavesTheFileAlone) {
  Store(2);
  const std::string before = storage.files[kLog];
  storage.lockHeldElsewhere = true;
  EXPECT_EQ(log.Open(kLog), LogError::Busy);
  log.AddReport(FullReport(), 32);
  EXPECT_EQ(log.Save(), LogError::Busy);
  EXPECT_EQ(log.Delete(), LogError::Busy);
  EXPECT_EQ(storage.files[kLog], before);
}

// A file that cannot be read, or holds something else than a log, is never
// written or deleted; a log cut short in its first report may be.
TEST_F(LogFile, FilesThatAreNoLogAreNeverWritten) {
  const struct {
    std::string bytes;
    bool unreadable;
    LogError error;
  } cases[] = {
      {WriteLogText({FullReport()}), true, LogError::ReadFailed},
      {"Notes on the program:\r\n\r\nIt crashed.\r\n", false, LogError::NotALog},
      {std::string("\x7F" "ELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0", 20), false, LogError::NotALog},
      {"TarvexLog 6.1.01 RC 1\r\n\r\nApplication:\r\n-------", false, LogError::None},
      {"\r\n\r\n", false, LogError::None},
  };
  for (const auto& c : cases) {
    storage.files[kLog] = c.bytes;
    if (c.unreadable) storage.unreadable.insert(kLog);
    EXPECT_EQ(log.Open(kLog), c.error);
    EXPECT_EQ(log.Count(), 0u);
    log.AddReport(FullReport(), 32);
    EXPECT_EQ(log.Save(), c.error);
    EXPECT_EQ(log.Delete(), c.error);
    if (c.error == LogError::None) {
      EXPECT_FALSE(storage.files.contains(kLog));
    } else {
      EXPECT_EQ(storage.files[kLog], c.bytes);
    }
    storage.unreadable.clear();
  }
}

TEST_F(LogFile, WriteAndDeleteFailuresAreReported) {
  Store(1);
  storage.unwritable.insert(kLog);
  ASSERT_EQ(log.Open(kLog), LogError::None);
  log.AddReport(FullReport(), 32);
  EXPECT_EQ(log.Save(), LogError::WriteFailed);
  EXPECT_EQ(log.Delete(), LogError::DeleteFailed);
  EXPECT_EQ(log.Count(), 2u);
}

TEST_F(LogFile, TheNewestReportWithAnItemValueIsFound) {
  Store(3);
  ASSERT_EQ(log.Open(kLog), LogError::None);
  log.AddReport(NumberedReport(2), -1);
  EXPECT_EQ(log.FindReportWithItem(kItemExceptionId, "ID2"), 3);
  EXPECT_EQ(log.FindReportWithItem(kItemExceptionId, "ID1"), 0);
  EXPECT_EQ(log.FindReportWithItem(kItemExceptionId, "ID9"), -1);
  EXPECT_EQ(log.GetItemValue(kItemExceptionId, 9), "");
  EXPECT_FALSE(log.SetItemValue(kItemCount, "2", 9, kCountLabel));
  EXPECT_EQ(log.AllText(), WriteLogText(log.Reports()));
}

}  // namespace
