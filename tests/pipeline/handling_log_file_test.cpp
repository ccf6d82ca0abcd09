// The handling's log steps over the log store, with the log files in memory.
#include "crashreport/pipeline/handling/handling_log_file.h"

#include <gtest/gtest.h>

#include "crashreport/base/options/log_file_name.h"
#include "crashreport/base/options/options.h"
#include "rtl/exception.h"
#include "tests/report/log/log_fixtures.h"
#include "tests/report/log/memory_log_storage.h"
#include "tests/pipeline/recording_parts.h"

namespace {

using namespace tarvex;

// Every folder exists and every file can be written.
class OpenFolders : public LogFileSystem {
 public:
  bool FolderExists(const std::string&) const override { return true; }
  bool MakeFolder(const std::string&) override { return true; }
  WriteCheck CheckWritable(const std::string&) override { return WriteCheck::Existing; }
  void RemoveFile(const std::string&) override {}
  std::string ShellAppDataFolder() const override { return "C:\\Users\\ann\\AppData"; }
  std::string ComputerName() const override { return "PC-1"; }
};

class HandlingLogFile : public ::testing::Test {
 protected:
  const std::string kLog = "C:\\Apps\\App.elf";
  tarvex::testing::MemoryLogStorage storage;
  OpenFolders folders;
  testing_parts::FixedMacros macros;
  TTarvexModuleOptions options{"C:\\Apps\\App.exe", 0x400000};
  TLogFileHandlingLog log{storage, folders, macros};
};

TEST_F(HandlingLogFile, StoresTheReportInTheLogTheOptionsName) {
  TReportLog& reports = log.ReportLog(options);
  reports.Add(tarvex::testing::FullReport(), 32);
  EXPECT_NE(reports.WholeText().find("2.7 ID            : 4A3F"), std::string::npos);
  reports.Save();
  reports.Close();
  ASSERT_TRUE(storage.files.contains(kLog));
  EXPECT_NE(storage.files[kLog].find("4A3F"), std::string::npos);
  EXPECT_EQ(storage.locksHeld, 0);
}

TEST_F(HandlingLogFile, FindsAndCountsDuplicates) {
  TReportLog& reports = log.ReportLog(options);
  reports.Add(tarvex::testing::FullReport(), 32);
  reports.Save();
  reports.Close();
  const std::string stored = storage.files[kLog];

  EXPECT_FALSE(log.FindDuplicate(options, "FFFF", true));
  EXPECT_TRUE(log.FindDuplicate(options, "4A3F", false));
  EXPECT_EQ(storage.files[kLog], stored);  // looking only
  EXPECT_TRUE(log.FindDuplicate(options, "4A3F", true));
  EXPECT_NE(storage.files[kLog].find("Count         : 2"), std::string::npos);
}

TEST_F(HandlingLogFile, FailureRaisesWithTheReasonAndReleasesTheLock) {
  storage.unwritable.insert(kLog);
  TReportLog& reports = log.ReportLog(options);
  reports.Add(tarvex::testing::FullReport(), 32);
  try {
    reports.Save();
    ADD_FAILURE() << "no failure";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), "the log file could not be written");
  }
  reports.Close();
  EXPECT_EQ(storage.locksHeld, 0);
  storage.lockHeldElsewhere = true;
  EXPECT_THROW(log.FindDuplicate(options, "4A3F", true), rtl::Exception);
}

TEST_F(HandlingLogFile, ClearsTheLogOfAnotherVersion) {
  storage.files[kLog] = tarvex::testing::ReadFixture("three_reports.elf");
  log.ClearOnNewVersion(options, "1.0.0.0");
  EXPECT_TRUE(storage.files.contains(kLog));
  log.ClearOnNewVersion(options, "2.0.0.0");
  EXPECT_FALSE(storage.files.contains(kLog));
}

}  // namespace
