// The log steps of an exception's handling: duplicates and their count, the
// version change, storing and the XML log for sending.
#include <gtest/gtest.h>

#include "crashreport/report/log/log_operations.h"
#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/log_xml.h"
#include "crashreport/report/log/report_items.h"
#include "tests/report/log/log_fixtures.h"
#include "tests/report/log/memory_log_storage.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

constexpr char kLog[] = "C:\\Apps\\ZorvikCalc.elf";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class LogOperations : public ::testing::Test {
 protected:
  MemoryLogStorage storage;
};

TEST_F(LogOperations, ARepeatedExceptionCountsInItsStoredReport) {
  storage.files[kLog] = WriteLogText({MinimalReport(), FullReport()});
  for (const char* count : {"2", "3"}) {
    const DuplicateCheck check = CheckDuplicate(storage, kLog, "4A3F", true);
    EXPECT_TRUE(check.duplicate);
    EXPECT_EQ(check.error, LogError::None);
    EXPECT_EQ(storage.files[kLog],
              WriteLogText({MinimalReport(), Replaced(FullReport(), "  2.8 Count         : 1\r\n",
                                                      std::string("  2.8 Count         : ") + count + "\r\n")}));
  }
  EXPECT_EQ(storage.locksHeld, 0);
}

TEST_F(LogOperations, AHiddenCountGetsItsLine) {
  storage.files[kLog] = WriteLogText({MinimalReport()});
  for (const char* count : {"2", "3"}) {
    EXPECT_TRUE(CheckDuplicate(storage, kLog, "B2C1", true).duplicate);
    EXPECT_EQ(storage.files[kLog], WriteLogText({Replaced(MinimalReport(), "  2.10 Note         : \r\n",
                                                          std::string("  2.10 Note         : \r\n"
                                                                      "  2.8 Count         : ") + count + "\r\n")}));
  }
}

TEST_F(LogOperations, ACountThatIsNoNumberCountsAsOne) {
  storage.files[kLog] = WriteLogText({Replaced(FullReport(), "Count         : 1", "Count         : many")});
  EXPECT_TRUE(CheckDuplicate(storage, kLog, "4A3F", true).duplicate);
  EXPECT_EQ(GetItemValue(ReadLogText(storage.files[kLog])[0], kItemCount), "2");
}

TEST_F(LogOperations, TheNewestOfSeveralMatchingReportsCounts) {
  storage.files[kLog] = WriteLogText({FullReport(), MinimalReport(), FullReport()});
  EXPECT_TRUE(CheckDuplicate(storage, kLog, "4A3F", true).duplicate);
  const auto reports = ReadLogText(storage.files[kLog]);
  EXPECT_EQ(GetItemValue(reports[0], kItemCount), "1");
  EXPECT_EQ(GetItemValue(reports[2], kItemCount), "2");
}

TEST_F(LogOperations, OtherExceptionsAndLookingWithoutCountingChangeNothing) {
  storage.files[kLog] = WriteLogText({FullReport()});
  const std::string before = storage.files[kLog];
  EXPECT_FALSE(CheckDuplicate(storage, kLog, "4A3E", true).duplicate);
  EXPECT_TRUE(CheckDuplicate(storage, kLog, "4A3F", false).duplicate);
  EXPECT_EQ(storage.files[kLog], before);
  EXPECT_FALSE(CheckDuplicate(storage, "C:\\missing.elf", "4A3F", true).duplicate);
  EXPECT_FALSE(storage.files.contains("C:\\missing.elf"));
}

TEST_F(LogOperations, StoringAddsSavesAndGivesTheWholeLog) {
  std::string whole;
  EXPECT_EQ(StoreReport(storage, kLog, FullReport(), 2, &whole), LogError::None);
  EXPECT_EQ(StoreReport(storage, kLog, MinimalReport(), 2, &whole), LogError::None);
  EXPECT_EQ(StoreReport(storage, kLog, EmptyListingReport(), 2, &whole), LogError::None);
  EXPECT_EQ(storage.files[kLog], WriteLogText({MinimalReport(), EmptyListingReport()}));
  EXPECT_EQ(whole, storage.files[kLog]);
  EXPECT_EQ(storage.locksHeld, 0);
}

TEST_F(LogOperations, StoringIntoAFileThatIsNoLogFails) {
  storage.files[kLog] = "my own notes\r\n";
  std::string whole;
  EXPECT_EQ(StoreReport(storage, kLog, FullReport(), 32, &whole), LogError::NotALog);
  EXPECT_EQ(storage.files[kLog], "my own notes\r\n");
  EXPECT_EQ(whole, WriteLogText({FullReport()}));  // the report is still sent
}

TEST_F(LogOperations, ANewProgramVersionDeletesTheLog) {
  const std::string older = Replaced(FullReport(), "Version Number  : 1.0.0.0", "Version Number  : 0.9.0.0");
  const struct {
    std::vector<std::string> reports;
    const char* current;
    bool deleted;
  } cases[] = {
      {{FullReport()}, "1.0.0.1", true},
      {{FullReport()}, "1.0.0.0", false},
      {{FullReport(), older}, "1.0.0.0", true},  // the newest report counts
      {{older, FullReport()}, "1.0.0.0", false},
      {{Replaced(FullReport(), "  1.3 Version Number  : 1.0.0.0\r\n", "")}, "1.0.0.1", false},
      {{}, "1.0.0.1", false},
  };
  for (const auto& c : cases) {
    storage.files[kLog] = WriteLogText(c.reports);
    bool deleted = true;
    EXPECT_EQ(ClearLogOnNewVersion(storage, kLog, c.current, deleted), LogError::None);
    EXPECT_EQ(deleted, c.deleted) << c.current;
    EXPECT_EQ(storage.files.contains(kLog), !c.deleted);
  }
  bool deleted = true;
  EXPECT_EQ(ClearLogOnNewVersion(storage, "C:\\missing.elf", "1.0", deleted), LogError::None);
  EXPECT_FALSE(deleted);
}

TEST_F(LogOperations, TheXmlLogForSending) {
  storage.files[kLog] = WriteLogText({FullReport(), MinimalReport()});
  EXPECT_EQ(BuildXmlLog(storage, kLog, "C:\\Temp\\ZorvikCalc.xml"), LogError::None);
  EXPECT_EQ(storage.files["C:\\Temp\\ZorvikCalc.xml"], ExportXml({FullReport(), MinimalReport()}));
  EXPECT_EQ(storage.locksHeld, 0);
  storage.unreadable.insert(kLog);
  EXPECT_EQ(BuildXmlLog(storage, kLog, "C:\\Temp\\Other.xml"), LogError::ReadFailed);
  EXPECT_FALSE(storage.files.contains("C:\\Temp\\Other.xml"));
}

}  // namespace
