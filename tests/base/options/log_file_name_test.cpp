#include "crashreport/base/options/log_file_name.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using namespace tarvex;

// Folders and files in memory. Everything under a folder of `unwritable`
// can be neither created nor written, like a missing drive.
class MemoryFileSystem : public LogFileSystem {
 public:
  bool FolderExists(const std::string& folder) const override { return folders.count(folder) != 0; }
  bool MakeFolder(const std::string& folder) override {
    if (Unwritable(folder)) return false;
    folders.insert(folder);
    made.push_back(folder);
    return true;
  }
  WriteCheck CheckWritable(const std::string& file) override {
    checked.push_back(file);
    if (Unwritable(file)) return WriteCheck::Unwritable;
    return files.insert(file).second ? WriteCheck::Created : WriteCheck::Existing;
  }
  void RemoveFile(const std::string& file) override { files.erase(file); }
  std::string ShellAppDataFolder() const override { return shellFolder; }
  std::string ComputerName() const override { return computer; }

  bool Unwritable(const std::string& path) const {
    for (const std::string& folder : unwritable)
      if (path.starts_with(folder + "\\") || path == folder) return true;
    return false;
  }

  std::set<std::string> folders = {"C:\\Apps", "C:\\Users", "C:\\Users\\ann", "C:\\Users\\ann\\AppData"};
  std::set<std::string> files;
  std::set<std::string> unwritable;
  std::vector<std::string> made, checked;
  std::string shellFolder = "C:\\Users\\ann\\AppData";
  std::string computer = "PC-1";
};

class FixedMacros : public MacroValues {
 public:
  std::string Environment(const std::string& name) const override {
    const auto found = variables.find(name);
    return found == variables.end() ? std::string() : found->second;
  }
  std::string ShortDate() const override { return "10.12.2026"; }
  std::string LongTime() const override { return "11:30:00"; }
  std::string CurrentDirectory() const override { return "C:\\Work"; }
  std::map<std::string, std::string> variables = {{"LOGS", "E:\\data"}, {"AppData", "C:\\Roaming"}};
};

struct Case {
  const char* title;
  const char* module;
  const char* name;
  const char* logFilePath;
  uint8_t logFlags;
  const char* expected;
};

TEST(LogFileName, NameRules) {
  const Case cases[] = {
      {"beside the program", "C:\\Apps\\App.exe", "", "", 0, "C:\\Apps\\App.elf"},
      {"computer name", "C:\\Apps\\App.exe", "", "", lfComputerNameInLogName, "C:\\Apps\\App_PC-1.elf"},
      {"folder path", "C:\\Apps\\App.exe", "", "D:\\Logs", 0, "D:\\Logs\\App.elf"},
      {"folder path with separator", "C:\\Apps\\App.exe", "", "D:\\Logs\\", 0, "D:\\Logs\\App.elf"},
      {"log file named", "C:\\Apps\\App.exe", "", "D:\\Logs\\Crashes.elf", 0, "D:\\Logs\\Crashes.elf"},
      {".ELF in any case", "C:\\Apps\\App.exe", "", "D:\\Logs\\Crashes.ELF", 0, "D:\\Logs\\Crashes.ELF"},
      {"other extension is a folder", "C:\\Apps\\App.exe", "", "D:\\Logs\\Crashes.log", 0,
       "D:\\Logs\\Crashes.log\\App.elf"},
      {"computer name before .ELF", "C:\\Apps\\App.exe", "", "D:\\x.ELF", lfComputerNameInLogName,
       "D:\\x_PC-1.ELF"},
      {"development host launcher", "C:\\Apps\\App.vshost.exe", "", "", 0, "C:\\Apps\\App.elf"},
      {"launcher in any case", "C:\\Apps\\App.VSHost.exe", "", "", 0, "C:\\Apps\\App.elf"},
      {"name given", "C:\\Apps\\App.exe", "C:\\Apps\\Plugin.dll", "", 0, "C:\\Apps\\Plugin.elf"},
      {"name given into a folder", "C:\\Apps\\App.exe", "Plugin.dll", "D:\\Logs", 0, "D:\\Logs\\Plugin.elf"},
      {"module without folder", "App.exe", "", "", 0, "App.elf"},
      {"macros", "C:\\Apps\\App.exe", "", "%LOGS%\\%date%", 0, "E:\\data\\10.12.2026\\App.elf"},
  };
  for (const Case& c : cases) {
    MemoryFileSystem system;
    const FixedMacros environment;
    TTarvexModuleOptions options(c.module);
    options.SetLogFilePath(c.logFilePath);
    options.SetLogFlags(c.logFlags);
    EXPECT_EQ(LogFileName(options, c.name, system, environment), c.expected) << c.title;
    EXPECT_TRUE(system.files.empty()) << c.title << ": the write check left its file";
  }
}

TEST(LogFileName, FoldersAreCreatedFromTheTopAndAnExistingLogStays) {
  MemoryFileSystem system;
  const FixedMacros environment;
  TTarvexModuleOptions options("C:\\Apps\\App.exe");
  options.SetLogFilePath("%LOGS%\\a\\b\\");
  EXPECT_EQ(LogFileName(options, "", system, environment), "E:\\data\\a\\b\\App.elf");
  EXPECT_EQ(system.made, (std::vector<std::string>{"E:\\data", "E:\\data\\a", "E:\\data\\a\\b"}));

  system.files.insert("E:\\data\\a\\b\\App.elf");
  LogFileName(options, "", system, environment);
  EXPECT_EQ(system.files.count("E:\\data\\a\\b\\App.elf"), 1u) << "an existing log is never deleted";
}

struct FallbackCase {
  const char* title;
  const char* shellFolder;
  const char* appDataVariable;
  uint8_t logFlags;
  const char* expected;
};

TEST(LogFileName, AnUnwritablePlaceFallsBackToTheApplicationDataFolder) {
  const FallbackCase cases[] = {
      {"shell folder", "C:\\Users\\ann\\AppData", "C:\\Roaming", 0, "C:\\Users\\ann\\AppData\\TarvexLog\\App\\App.elf"},
      {"shell folder with separator", "C:\\Users\\ann\\AppData\\", "", 0,
       "C:\\Users\\ann\\AppData\\TarvexLog\\App\\App.elf"},
      {"environment", "", "C:\\Roaming", 0, "C:\\Roaming\\TarvexLog\\App\\App.elf"},
      {"neither: the root", "", "", 0, "\\TarvexLog\\App\\App.elf"},
      {"computer name after the fall-back", "", "C:\\Roaming", lfComputerNameInLogName,
       "C:\\Roaming\\TarvexLog\\App\\App_PC-1.elf"},
  };
  for (const FallbackCase& c : cases) {
    MemoryFileSystem system;
    system.unwritable = {"C:\\Apps"};
    system.shellFolder = c.shellFolder;
    FixedMacros environment;
    environment.variables["AppData"] = c.appDataVariable;
    TTarvexModuleOptions options("C:\\Apps\\App.vshost.exe");
    options.SetLogFlags(c.logFlags);
    EXPECT_EQ(LogFileName(options, "", system, environment), c.expected) << c.title;
    const std::string expectedFolder = std::string(c.expected).substr(0, std::string(c.expected).rfind('\\'));
    EXPECT_TRUE(system.FolderExists(expectedFolder)) << c.title;
  }
}

TEST(LogFileName, AMissingDriveFallsBackAndAFailingFallBackStillNamesTheFile) {
  MemoryFileSystem system;
  system.unwritable = {"Q:", "C:\\Users"};
  const FixedMacros environment;
  TTarvexModuleOptions options("C:\\Apps\\App.exe");
  options.SetLogFilePath("Q:\\nowhere\\deeper");
  EXPECT_EQ(LogFileName(options, "", system, environment), "C:\\Users\\ann\\AppData\\TarvexLog\\App\\App.elf");
  EXPECT_FALSE(system.FolderExists("C:\\Users\\ann\\AppData\\TarvexLog"));
  EXPECT_TRUE(system.files.empty());
}

TEST(FileNameComputerName, KeepsFifteenCharactersAFileNameCanHold) {
  EXPECT_EQ(FileNameComputerName("PC-1"), "PC-1");
  EXPECT_EQ(FileNameComputerName("A\\B/C:D*E?F\"G<H>I|J"), "A_B_C_D_E_F_G_H");
  EXPECT_EQ(FileNameComputerName(std::string("x\ty\x01z")), "x_y_z");
  EXPECT_EQ(FileNameComputerName("BUILD-SERVER-NUMBER-9"), "BUILD-SERVER-NU");
  EXPECT_EQ(FileNameComputerName(""), "");
}

}  // namespace
