// A save cut short loses nothing. The log keeps the newest kMaxReports large
// reports, so every save rewrites it from its first byte on; a writer process
// stores one more and ends right after the first N bytes of that save's file
// writes, for N from nothing to the whole save. After each cut the log opens
// and holds either the reports before or the reports after, whole and in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "crashreport/report/log/log_file.h"
#include "crashreport/report/log/report_items.h"
#include "tests/report/log/log_fixtures.h"

namespace {

using namespace tarvex;

constexpr size_t kMaxReports = 4;
constexpr DWORD kWait = 300000;  // generous: emulated machines start programs slowly
constexpr DWORD kCutExitCode = 9;

std::string TempPath(const std::string& name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "vx_cut_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

std::string WriterExe() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.rfind('\\') + 1) + "log_writer.exe";
}

// A report of about 200 KB.
std::string LargeReport() {
  std::string report = tarvex::testing::ReadFixture("report_full.txt");
  for (int line = 0; line < 2500; ++line) report += "  padding line " + std::to_string(line) + std::string(60, '.') + "\r\n";
  return report;
}

// Runs log_writer storing `count` reports tagged `tag`, the last one cut after
// `cut` bytes when given; its exit code.
DWORD RunWriter(const std::string& log, const std::string& reportFile, const std::string& tag, int count,
                const std::string& cut) {
  const std::string names = "vx_cut_" + std::to_string(GetCurrentProcessId()) + "_" + tag;
  const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (names + "_ready").c_str());
  const HANDLE go = CreateEventA(nullptr, TRUE, TRUE, (names + "_go").c_str());  // set: no waiting
  std::string command = "\"" + WriterExe() + "\" \"" + log + "\" \"" + reportFile + "\" " + tag + " " +
                        std::to_string(count) + " " + std::to_string(kMaxReports) + " " + names + "_ready " + names +
                        "_go " + cut;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  DWORD code = 0xFFFFFFFF;
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    if (WaitForSingleObject(process.hProcess, kWait) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(ready);
  CloseHandle(go);
  return code;
}

std::vector<std::string> Messages(const std::string& log) {
  TLogFile file(ThisLogStorage());
  if (file.Open(log, true) != LogError::None) return {"(the log does not open)"};
  std::vector<std::string> messages;
  for (size_t i = 0; i < file.Count(); ++i) messages.push_back(file.GetItemValue(kItemMessage, i));
  return messages;
}

TEST(LogCutShort, ASaveCutAtAnyByteLeavesTheOldLogOrTheNewOne) {
  const std::string log = TempPath("log.elf"), reportFile = TempPath("report.txt");
  DeleteFileA(log.c_str());
  std::ofstream(reportFile, std::ios::binary) << LargeReport();
  ASSERT_EQ(RunWriter(log, reportFile, "Old", static_cast<int>(kMaxReports), ""), 0u);
  std::vector<std::string> stored = Messages(log);
  ASSERT_EQ(stored.size(), kMaxReports);
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  ASSERT_TRUE(GetFileAttributesExA(log.c_str(), GetFileExInfoStandard, &attributes));
  const unsigned long long size = attributes.nFileSizeLow;  // about what one save writes

  const unsigned long long cuts[] = {0, 1, 511, 4096, 65537, size / 4, size / 2, size - 4096, size - 1, size + 1,
                                     2 * size};
  int cutShort = 0;
  for (size_t round = 0; round < std::size(cuts); ++round) {
    const std::string tag = "Cut" + std::to_string(round);
    const DWORD code = RunWriter(log, reportFile, tag, 1, std::to_string(cuts[round]));
    ASSERT_TRUE(code == 0 || code == kCutExitCode) << "cut at " << cuts[round] << ": exit code " << code;
    if (code == kCutExitCode) ++cutShort;
    std::vector<std::string> after = stored;
    after.push_back(tag + " 1");
    after.erase(after.begin());
    const std::vector<std::string> messages = Messages(log);
    EXPECT_TRUE(messages == stored || messages == after) << "cut at " << cuts[round] << " byte(s) of " << size;
    if (code == 0) EXPECT_EQ(messages, after) << "a save that ended stores the report";
    stored = messages;
  }
  std::printf("%zu cut points, %d of them inside a save\n", std::size(cuts), cutShort);
  EXPECT_GE(cutShort, 8) << "the cuts must land inside the saves";
  DeleteFileA(log.c_str());
  DeleteFileA((log + ".saving").c_str());
  DeleteFileA(reportFile.c_str());
}

}  // namespace
