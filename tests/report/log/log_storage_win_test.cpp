// The log store over real files and the real lock: the expected bytes on disk,
// and files that are locked, unreadable, huge or not logs at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "crashreport/report/log/log_file.h"
#include "crashreport/report/log/log_operations.h"
#include "crashreport/report/log/log_text.h"
#include "tests/report/log/log_fixtures.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;
using namespace std::chrono_literals;

std::string TemporaryFolder() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return folder;
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  return ThisLogStorage().Read(path, bytes) == LogStorage::ReadResult::Read ? bytes : "<unread>";
}

class LogStorageWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = TemporaryFolder() + "vx_log_" + std::to_string(GetCurrentProcessId()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".elf";
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    SetFileAttributesA(log_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(log_.c_str());
    RemoveDirectoryA(log_.c_str());
  }
  void WriteBytes(const std::string& bytes) { ASSERT_TRUE(ThisLogStorage().Write(log_, bytes)); }

  std::string log_;
  LogStorage& storage_ = ThisLogStorage();
};

TEST_F(LogStorageWindows, StoredReportsGiveTheExpectedFileAndReadBack) {
  WriteBytes(std::string(20000, 'x'));  // longer than the log: the file is cut after the log
  WriteBytes("");
  for (const std::string* report : {&FullReport(), &MinimalReport(), &EmptyListingReport()})
    ASSERT_EQ(StoreReport(storage_, log_, *report, 32), LogError::None);
  EXPECT_EQ(ReadBytes(log_), ReadFixture("three_reports.elf"));
  TLogFile log(storage_);
  ASSERT_EQ(log.Open(log_, true), LogError::None);
  EXPECT_EQ(log.Reports(), (std::vector{FullReport(), MinimalReport(), EmptyListingReport()}));
}

// A log that another program holds open without sharing its deletion cannot
// be replaced: the report is still stored, written over the old log in place;
// and no side file is left.
TEST_F(LogStorageWindows, ALogHeldOpenByAnotherProgramStillTakesTheReport) {
  ASSERT_EQ(StoreReport(storage_, log_, FullReport(), 32), LogError::None);
  const HANDLE holder = CreateFileA(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const LogError stored = StoreReport(storage_, log_, MinimalReport(), 32);
  CloseHandle(holder);
  ASSERT_EQ(stored, LogError::None);
  TLogFile log(storage_);
  ASSERT_EQ(log.Open(log_, true), LogError::None);
  EXPECT_EQ(log.Reports(), (std::vector{FullReport(), MinimalReport()}));
  EXPECT_EQ(GetFileAttributesA((log_ + ".saving").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LogStorageWindows, AMissingFileOrFolder) {
  std::string bytes;
  EXPECT_EQ(storage_.Read(log_, bytes), LogStorage::ReadResult::Missing);
  EXPECT_EQ(storage_.Read(TemporaryFolder() + "vx_no_such_folder\\x.elf", bytes), LogStorage::ReadResult::Missing);
  EXPECT_TRUE(storage_.Remove(log_));
  EXPECT_FALSE(storage_.Write(TemporaryFolder() + "vx_no_such_folder\\x.elf", "x"));
}

// Another program holds the file open without sharing, or the name is a
// folder: the log cannot be read and is left as it is. (Byte-range locks and
// the read-only attribute are not tried: Wine does not enforce the one, and
// the other does not stop the emulated test run, which runs as root.)
TEST_F(LogStorageWindows, AFileThatCannotBeReadIsLeftAlone) {
  const std::string before = WriteLogText({FullReport()});
  WriteBytes(before);
  {
    const HANDLE exclusive = CreateFileA(log_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(StoreReport(storage_, log_, MinimalReport(), 32), LogError::ReadFailed);
    bool deleted = true;
    EXPECT_EQ(ClearLogOnNewVersion(storage_, log_, "2.0", deleted), LogError::ReadFailed);
    CloseHandle(exclusive);
  }
  EXPECT_EQ(ReadBytes(log_), before);
  Clean();
  ASSERT_TRUE(CreateDirectoryA(log_.c_str(), nullptr));
  EXPECT_EQ(StoreReport(storage_, log_, MinimalReport(), 32), LogError::ReadFailed);
  EXPECT_NE(GetFileAttributesA(log_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(LogStorageWindows, BinaryAndHugeFilesAreNeverOverwritten) {
  std::mt19937 random(11);
  std::string binary(50u << 20, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  WriteBytes(binary);
  TLogFile log(storage_);
  EXPECT_EQ(log.Open(log_), LogError::NotALog);
  EXPECT_EQ(log.Count(), 0u);
  log.AddReport(FullReport(), 32);
  EXPECT_EQ(log.Save(), LogError::NotALog);
  EXPECT_EQ(log.Delete(), LogError::NotALog);
  log.Close();
  EXPECT_TRUE(ReadBytes(log_) == binary);
}

// A log cut short (a crash while it was written) keeps the reports before the
// cut; the next report is stored after them.
TEST_F(LogStorageWindows, ATruncatedLogKeepsItsWholeReports) {
  const std::string whole = WriteLogText({FullReport(), MinimalReport()});
  WriteBytes(whole.substr(0, whole.size() - 300));
  ASSERT_EQ(StoreReport(storage_, log_, EmptyListingReport(), 32), LogError::None);
  TLogFile log(storage_);
  ASSERT_EQ(log.Open(log_, true), LogError::None);
  ASSERT_EQ(log.Count(), 3u);
  EXPECT_EQ(log.Report(0), FullReport());
  EXPECT_TRUE(MinimalReport().starts_with(log.Report(1).substr(0, log.Report(1).size() - 2)));
  EXPECT_EQ(log.Report(2), EmptyListingReport());
}

TEST_F(LogStorageWindows, TheVersionChangeDeletesTheFile) {
  WriteBytes(WriteLogText({FullReport()}));
  bool deleted = false;
  ASSERT_EQ(ClearLogOnNewVersion(storage_, log_, "1.0.0.1", deleted), LogError::None);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(GetFileAttributesA(log_.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The lock of a log, taken through any spelling of its path, keeps out every
// other thread until it is released or its holder ends without releasing it.
TEST_F(LogStorageWindows, TheLockExcludesEverySpellingOfThePath) {
  auto held = storage_.Lock(log_, 0ms);
  ASSERT_TRUE(held);
  std::string other = log_;
  CharLowerBuffA(other.data(), static_cast<DWORD>(other.size()));
  other.insert(other.rfind('\\'), "\\sub\\..");
  bool taken = true;
  std::thread([&] { taken = storage_.Lock(other, 200ms) != nullptr; }).join();
  EXPECT_FALSE(taken);
  EXPECT_TRUE(storage_.Lock(log_ + ".other", 0ms) != nullptr) << "another log has its own lock";
  held.reset();
  std::thread([&] { taken = storage_.Lock(other, 0ms) != nullptr; }).join();
  EXPECT_TRUE(taken);
}

TEST_F(LogStorageWindows, ALockWhoseHolderEndedIsTakenOver) {
  std::thread([&] { storage_.Lock(log_, 0ms).release(); }).join();  // never released
  const auto lock = storage_.Lock(log_, 5000ms);
  EXPECT_TRUE(lock);
}

TEST_F(LogStorageWindows, StoringWaitsForTheLock) {
  auto held = storage_.Lock(log_, 0ms);
  ASSERT_TRUE(held);
  LogError stored = LogError::Busy;
  std::thread writer([&] { stored = StoreReport(storage_, log_, FullReport(), 32); });
  Sleep(300);
  EXPECT_EQ(GetFileAttributesA(log_.c_str()), INVALID_FILE_ATTRIBUTES) << "stored while the lock was held";
  held.reset();
  writer.join();
  EXPECT_EQ(stored, LogError::None);
  EXPECT_EQ(ReadBytes(log_), WriteLogText({FullReport()}));
}

}  // namespace
