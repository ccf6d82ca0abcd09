#include <windows.h>

#include "crashreport/delivery/zip/source_files.h"

namespace tarvex {

namespace {

class WindowsSourceFiles final : public SourceFiles {
 public:
  SourceFileStamp Stamp(const std::string& path) const override {
    SourceFileStamp stamp;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return stamp;
    FindClose(search);
    stamp.Size = found.nFileSizeLow;
    FILETIME local;
    SYSTEMTIME clock;
    if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &clock))
      return stamp;
    stamp.LastWrite = {clock.wYear, clock.wMonth, clock.wDay, clock.wHour, clock.wMinute, clock.wSecond};
    WORD date = 0;
    WORD time = 0;
    if (FileTimeToDosDateTime(&local, &date, &time)) stamp.DosDateTime = static_cast<uint32_t>(date) << 16 | time;
    return stamp;
  }

  bool Read(const std::string& path, std::span<uint8_t> buffer) const override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    size_t filled = 0;
    while (filled < buffer.size()) {
      DWORD got = 0;
      if (!ReadFile(file, buffer.data() + filled, static_cast<DWORD>(buffer.size() - filled), &got, nullptr) ||
          got == 0)
        break;
      filled += got;
    }
    CloseHandle(file);
    return filled == buffer.size();
  }
};

}  // namespace

const SourceFiles& LocalSourceFiles() {
  static const WindowsSourceFiles files;
  return files;
}

}  // namespace tarvex
