// Two processes store into one log at the same moment: every report survives,
// or the newest MaxLoggedReports of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "crashreport/report/log/log_file.h"
#include "crashreport/report/log/report_items.h"

namespace {

using namespace tarvex;

constexpr int kReportsEach = 20;
constexpr DWORD kWait = 300000;  // generous: emulated machines start programs slowly

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.rfind('\\') + 1);
}

class Writers {
 public:
  Writers(const std::string& log, int maxCount) {
    const std::string prefix = "vx_log_writer_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(maxCount);
    go_ = CreateEventA(nullptr, TRUE, FALSE, (prefix + "_go").c_str());
    for (const char* tag : {"A", "B"}) {
      const std::string ready = prefix + "_ready_" + tag;
      ready_.push_back(CreateEventA(nullptr, TRUE, FALSE, ready.c_str()));
      std::string command = "\"" + ProgramFolder() + "log_writer.exe\" \"" + log + "\" \"" VX_LOG_FIXTURES
                            "/report_minimal.txt\" " + tag + " " + std::to_string(kReportsEach) + " " +
                            std::to_string(maxCount) + " " + ready + " " + prefix + "_go";
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        processes_.push_back(process.hProcess);
      }
    }
  }
  ~Writers() {
    for (HANDLE process : processes_) {
      if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
      CloseHandle(process);
    }
    for (HANDLE event : ready_) CloseHandle(event);
    CloseHandle(go_);
  }

  // Starts both together once both are ready; true when both stored everything.
  ::testing::AssertionResult Run() {
    if (processes_.size() != 2) return ::testing::AssertionFailure() << "cannot start log_writer.exe";
    if (WaitForMultipleObjects(2, ready_.data(), TRUE, kWait) != WAIT_OBJECT_0)
      return ::testing::AssertionFailure() << "the writers did not start";
    SetEvent(go_);
    if (WaitForMultipleObjects(2, processes_.data(), TRUE, kWait) != WAIT_OBJECT_0)
      return ::testing::AssertionFailure() << "the writers did not finish";
    for (HANDLE process : processes_) {
      DWORD code = 0;
      GetExitCodeProcess(process, &code);
      if (code != 0) return ::testing::AssertionFailure() << "a writer ended with " << code;
    }
    return ::testing::AssertionSuccess();
  }

 private:
  HANDLE go_;
  std::vector<HANDLE> ready_, processes_;
};

// The numbers of each writer's reports in the log, in log order.
std::map<std::string, std::vector<int>> StoredNumbers(const std::string& path) {
  TLogFile log(ThisLogStorage());
  EXPECT_EQ(log.Open(path, true), LogError::None);
  std::map<std::string, std::vector<int>> numbers;
  for (size_t i = 0; i < log.Count(); ++i) {
    const std::string message = log.GetItemValue(kItemMessage, i);  // "A 7"
    numbers[message.substr(0, 1)].push_back(std::stoi(message.substr(2)));
  }
  return numbers;
}

class TwoProcesses : public ::testing::TestWithParam<int> {};

TEST_P(TwoProcesses, EveryReportOrTheNewestSurvive) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const int maxCount = GetParam();
  const std::string log =
      std::string(folder) + "vx_two_writers_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(maxCount) + ".elf";
  DeleteFileA(log.c_str());
  {
    Writers writers(log, maxCount);
    ASSERT_TRUE(writers.Run());
  }
  const auto numbers = StoredNumbers(log);
  DeleteFileA(log.c_str());
  const size_t expected = maxCount == -1 ? 2 * kReportsEach : static_cast<size_t>(maxCount);
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_EQ(numbers.at("A").size() + numbers.at("B").size(), expected);
  // Each writer's reports: its newest ones, in the order it stored them, none lost between.
  for (const auto& [tag, stored] : numbers) {
    ASSERT_FALSE(stored.empty()) << tag;
    EXPECT_EQ(stored.back(), kReportsEach) << tag;
    for (size_t i = 0; i < stored.size(); ++i)
      EXPECT_EQ(stored[i], kReportsEach - static_cast<int>(stored.size() - 1 - i)) << tag;
  }
}

INSTANTIATE_TEST_SUITE_P(MaxLoggedReports, TwoProcesses, ::testing::Values(-1, 25));

}  // namespace
