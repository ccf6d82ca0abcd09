// Where a module's log file lives: the name rules over the options, with the
// file system and the system facts they need behind LogFileSystem.
#pragma once

#include <string>

#include "crashreport/base/util/macros.h"
#include "crashreport/base/options/options.h"

namespace tarvex {

class LogFileSystem {
 public:
  enum class WriteCheck { Unwritable, Existing, Created };

  virtual ~LogFileSystem() = default;
  virtual bool FolderExists(const std::string& folder) const = 0;
  // Creates one folder whose parent exists; true when it exists afterwards.
  virtual bool MakeFolder(const std::string& folder) = 0;
  // Opens `file` for reading and writing, creating it when missing, and
  // closes it again: whether that worked and whether the file was created.
  virtual WriteCheck CheckWritable(const std::string& file) = 0;
  virtual void RemoveFile(const std::string& file) = 0;
  // The shell's application data folder; empty when the shell cannot tell.
  virtual std::string ShellAppDataFolder() const = 0;
  // The system's computer name; empty when unknown.
  virtual std::string ComputerName() const = 0;
};

// The running system (Windows: log_file_system_win.cpp).
LogFileSystem& ThisLogFileSystem();

// The user's application data folder: the shell's, else the environment
// variable "AppData", else "\".
std::string UserAppDataFolder(const LogFileSystem& system, const MacroValues& macros);

// The computer name as a part of a file name: at most 15 characters, each
// one a file name cannot hold replaced by "_".
std::string FileNameComputerName(const std::string& computerName);

// Creates every missing folder of `folder`, from the top down; false when one cannot be made.
bool ForceFolders(const std::string& folder, LogFileSystem& system);

// The log file of `options`, for the program or library `name` (empty: the
// options' module file):
//  1. `name` (or ModuleFileName without ".vshost") with the extension ".elf";
//  2. LogFilePath when its extension is ".elf" (any case); otherwise the
//     folder LogFilePath (empty: the folder of the name of 1) and the file
//     name of 1;
//  3. macros expanded, the folders created;
//  4. when the file cannot be written: the same file name in the folder
//     TarvexLog\<program> under the user's application data folder (created;
//     the name is returned even when that fails too);
//  5. with lfComputerNameInLogName, "_" and the computer name before the extension.
// A file that only the write check created is deleted again.
std::string LogFileName(const TTarvexModuleOptions& options, const std::string& name, LogFileSystem& system,
                        const MacroValues& macros);

}  // namespace tarvex
