// The log file name's questions answered by the running Windows system.
#include <windows.h>

#include "crashreport/base/options/log_file_name.h"
#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {
namespace {

constexpr int kFolderAppData = 26;  // the roaming application data folder

class WindowsLogFileSystem final : public LogFileSystem {
 public:
  bool FolderExists(const std::string& folder) const override {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool MakeFolder(const std::string& folder) override {
    return CreateDirectoryA(folder.c_str(), nullptr) || FolderExists(folder);
  }

  WriteCheck CheckWritable(const std::string& file) override {
    const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return WriteCheck::Unwritable;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(handle);
    return existed ? WriteCheck::Existing : WriteCheck::Created;
  }

  void RemoveFile(const std::string& file) override { DeleteFileA(file.c_str()); }

  std::string ShellAppDataFolder() const override {
    // Loaded when asked: older systems have no shell folder function at all.
    const win::Library shell("shfolder.dll");
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, char*);
    const auto getFolderPath = shell.Function<GetFolderPath>("SHGetFolderPathA");
    char folder[MAX_PATH + 1] = {};
    if (!getFolderPath || FAILED(getFolderPath(nullptr, kFolderAppData, nullptr, 0, folder))) return {};
    return folder;
  }

  std::string ComputerName() const override {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
  }
};

}  // namespace

LogFileSystem& ThisLogFileSystem() {
  static WindowsLogFileSystem system;
  return system;
}

}  // namespace tarvex
