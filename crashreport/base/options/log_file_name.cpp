#include "crashreport/base/options/log_file_name.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "crashreport/base/util/file_names.h"

namespace tarvex {
namespace {

constexpr size_t kComputerNameLength = 15;
constexpr std::string_view kNotInFileNames = "\\/:*?\"<>|";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// A development host's launcher ("App.vshost.exe") logs as the program itself.
std::string WithoutHostSuffix(const std::string& moduleFileName) {
  static constexpr std::string_view kHostSuffix = ".vshost";
  const std::string folder = ExtractFilePath(moduleFileName);
  std::string name = ExtractFileName(moduleFileName);
  for (size_t found; (found = Lower(name).find(kHostSuffix)) != std::string::npos;) name.erase(found, kHostSuffix.size());
  return folder + name;
}

// Creates the folders of `file` and checks that it can be written.
bool CanWrite(const std::string& file, LogFileSystem& system) {
  if (!ForceFolders(ExtractFilePath(file), system)) return false;
  const LogFileSystem::WriteCheck check = system.CheckWritable(file);
  if (check == LogFileSystem::WriteCheck::Created) system.RemoveFile(file);
  return check != LogFileSystem::WriteCheck::Unwritable;
}

}  // namespace

std::string UserAppDataFolder(const LogFileSystem& system, const MacroValues& macros) {
  std::string folder = system.ShellAppDataFolder();
  if (folder.empty()) folder = macros.Environment("AppData");
  return folder.empty() ? "\\" : folder;
}

std::string FileNameComputerName(const std::string& computerName) {
  std::string name = computerName.substr(0, kComputerNameLength);
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || kNotInFileNames.find(c) != std::string_view::npos) c = '_';
  return name;
}

bool ForceFolders(const std::string& folder, LogFileSystem& system) {
  for (const std::string& step : FolderChain(folder))
    if (!system.FolderExists(step) && !system.MakeFolder(step)) return false;
  return true;
}

std::string LogFileName(const TTarvexModuleOptions& options, const std::string& name, LogFileSystem& system,
                        const MacroValues& macros) {
  const std::string program = WithoutHostSuffix(options.ModuleFileName());
  const std::string ownName = ChangeFileExt(name.empty() ? program : name, ".elf");
  const std::string& path = options.LogFilePath();
  std::string logFile = Lower(ExtractFileExt(path)) == ".elf"
                            ? path
                            : WithTrailingSeparator(path.empty() ? ExtractFilePath(ownName) : path) +
                                  ExtractFileName(ownName);
  logFile = ExpandMacros(logFile, macros);
  if (!CanWrite(logFile, system)) {
    const std::string programName = ChangeFileExt(ExtractFileName(program.empty() ? ownName : program), "");
    const std::string folder = WithTrailingSeparator(UserAppDataFolder(system, macros)) + "TarvexLog\\" + programName;
    ForceFolders(folder, system);
    logFile = folder + "\\" + ExtractFileName(logFile);
  }
  if (options.LogFlags() & lfComputerNameInLogName) {
    const std::string computer = FileNameComputerName(system.ComputerName());
    if (!computer.empty()) logFile = InsertBeforeExtension(logFile, "_" + computer);
  }
  return logFile;
}

}  // namespace tarvex
