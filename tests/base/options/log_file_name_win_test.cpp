// The log file name over the real file system and computer name.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "crashreport/base/options/log_file_name.h"

namespace {

using namespace tarvex;

std::string Temporary(const std::string& name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name + std::to_string(GetCurrentProcessId());
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string LogOf(const std::string& module, const std::string& logFilePath, uint8_t logFlags = 0) {
  TTarvexModuleOptions options(module);
  options.SetLogFilePath(logFilePath);
  options.SetLogFlags(logFlags);
  return LogFileName(options, "", ThisLogFileSystem(), ProcessMacroValues());
}

std::string MissingDrive() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
  return {};
}

TEST(LogFileNameWindows, FoldersAreCreatedAndTheCheckLeavesNoFile) {
  const std::string root = Temporary("vx_log_");
  const std::string log = LogOf("C:\\Apps\\App.exe", root + "\\a\\b");
  EXPECT_EQ(log, root + "\\a\\b\\App.elf");
  EXPECT_TRUE(IsFolder(root + "\\a\\b"));
  EXPECT_FALSE(IsFile(log)) << "the write check's file was not deleted";

  std::ofstream(log) << "kept";
  EXPECT_EQ(LogOf("C:\\Apps\\App.exe", root + "\\a\\b"), log);
  std::ifstream kept(log);
  std::string content;
  kept >> content;
  EXPECT_EQ(content, "kept");
  kept.close();
  DeleteFileA(log.c_str());
  RemoveDirectoryA((root + "\\a\\b").c_str());
  RemoveDirectoryA((root + "\\a").c_str());
  RemoveDirectoryA(root.c_str());
}

TEST(LogFileNameWindows, UnwritableTargetsFallBackToTheApplicationData) {
  const std::string appData = UserAppDataFolder(ThisLogFileSystem(), ProcessMacroValues());
  char variable[MAX_PATH] = {};
  GetEnvironmentVariableA("APPDATA", variable, MAX_PATH);
  ASSERT_FALSE(ThisLogFileSystem().ShellAppDataFolder().empty()) << "shfolder.dll gave no folder";
  EXPECT_EQ(_stricmp(appData.c_str(), variable), 0) << appData << " vs " << variable;

  // A folder where the log file should be is as unwritable as a missing drive.
  const std::string blocked = Temporary("vx_blocked_");
  ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((blocked + "\\Taken.elf").c_str(), nullptr));
  const std::string drive = MissingDrive();
  ASSERT_FALSE(drive.empty());
  const std::string program = "VxFallBack" + std::to_string(GetCurrentProcessId());
  const std::string folder = appData + "\\TarvexLog\\" + program;
  for (const std::string& target : {drive + "\\nowhere\\deeper", blocked + "\\Taken.elf"}) {
    const std::string log = LogOf("C:\\Apps\\" + program + ".exe", target);
    const std::string name = target.ends_with(".elf") ? "Taken.elf" : program + ".elf";
    EXPECT_EQ(_stricmp(log.c_str(), (folder + "\\" + name).c_str()), 0) << target << " gave " << log;
    EXPECT_TRUE(IsFolder(folder)) << folder;
    EXPECT_FALSE(IsFile(log));
    RemoveDirectoryA(folder.c_str());
  }
  RemoveDirectoryA((blocked + "\\Taken.elf").c_str());
  RemoveDirectoryA(blocked.c_str());
}

TEST(LogFileNameWindows, ComputerNameOfTheSystem) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  const std::string root = Temporary("vx_host_");
  const std::string log = LogOf("C:\\Apps\\App.exe", root, lfComputerNameInLogName);
  EXPECT_EQ(log, root + "\\App_" + FileNameComputerName(computer) + ".elf");
  RemoveDirectoryA(root.c_str());
}

}  // namespace
