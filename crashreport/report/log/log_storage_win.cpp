// Log files on Windows. The lock of a log is a named mutex derived from the
// file's full path, so it exists before the file does and lets the file be
// deleted while it is held; a holder that dies leaves it abandoned, which the
// next waiter takes over.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "crashreport/base/util/win_handles_win.h"
#include "crashreport/report/log/log_storage.h"

namespace tarvex {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kChunk = 1u << 20;  // bytes per read or write call

class MutexLock final : public LogLock {
 public:
  explicit MutexLock(win::KernelHandle mutex) : mutex_(std::move(mutex)) {}
  ~MutexLock() override { ReleaseMutex(mutex_.get()); }

 private:
  win::KernelHandle mutex_;
};

// "TarvexLog.LogFile." and a 64-bit FNV-1a hash of the upper-case full path:
// every spelling of one path (case, relative or absolute) names one mutex.
std::string LockName(const std::string& fileName) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(fileName.c_str(), sizeof full, full, nullptr);
  std::string path = length > 0 && length < sizeof full ? std::string(full, length) : fileName;
  CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
  uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  char name[48];
  std::snprintf(name, sizeof name, "TarvexLog.LogFile.%016llX", static_cast<unsigned long long>(hash));
  return name;
}

enum class WriteResult { Written, NotOpened, Failed };

// Writes `bytes` as the whole file (`disposition`: CREATE_ALWAYS or OPEN_ALWAYS),
// on the disk before it returns.
WriteResult WriteWhole(const std::string& fileName, std::string_view bytes, DWORD disposition) {
  const win::KernelHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, kShareAll, nullptr, disposition,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return WriteResult::NotOpened;
  for (size_t done = 0; done < bytes.size();) {
    DWORD written = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - done));
    if (!WriteFile(file.get(), bytes.data() + done, wanted, &written, nullptr) || written == 0)
      return WriteResult::Failed;
    done += written;
  }
  const bool whole = SetEndOfFile(file.get()) && FlushFileBuffers(file.get());
  return whole ? WriteResult::Written : WriteResult::Failed;
}

class WindowsLogStorage final : public LogStorage {
 public:
  std::unique_ptr<LogLock> Lock(const std::string& fileName, std::chrono::milliseconds wait) override {
    win::KernelHandle mutex(CreateMutexA(nullptr, FALSE, LockName(fileName).c_str()));
    if (!mutex) return nullptr;
    const DWORD waited = WaitForSingleObject(mutex.get(), static_cast<DWORD>(wait.count()));
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return nullptr;
    return std::make_unique<MutexLock>(std::move(mutex));
  }

  ReadResult Read(const std::string& fileName, std::string& bytes) override {
    const win::KernelHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                            : ReadResult::Failed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) > kMaxLogFileSize)
      return ReadResult::Failed;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD read = 0;
      const DWORD wanted = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - done));
      if (!ReadFile(file.get(), bytes.data() + done, wanted, &read, nullptr)) return ReadResult::Failed;
      if (read == 0) break;  // the file got shorter meanwhile
      done += read;
    }
    bytes.resize(done);
    return ReadResult::Read;
  }

  // The new log is written beside the old one and then put in its place, so a
  // save cut short (the process killed, the disk full, the power lost) leaves
  // the old log whole. Saves of one log take turns under its lock, so the
  // side file has one fixed name; one left by a save cut short is overwritten.
  bool Write(const std::string& fileName, std::string_view bytes) override {
    const std::string saving = fileName + ".saving";
    switch (WriteWhole(saving, bytes, CREATE_ALWAYS)) {
      case WriteResult::Written:
        if (MoveFileExA(saving.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
          return true;
        // Another program holds the log open without sharing its deletion:
        // it is rewritten in place, as the only way to keep the report.
        DeleteFileA(saving.c_str());
        return WriteWhole(fileName, bytes, OPEN_ALWAYS) == WriteResult::Written;
      case WriteResult::NotOpened:  // no new file may be made in the folder: in place, likewise
        return WriteWhole(fileName, bytes, OPEN_ALWAYS) == WriteResult::Written;
      case WriteResult::Failed:  // the disk is full, or the like: the old log stays as it is
        DeleteFileA(saving.c_str());
        return false;
    }
    return false;
  }

  bool Remove(const std::string& fileName) override {
    if (DeleteFileA(fileName.c_str())) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
};

}  // namespace

LogStorage& ThisLogStorage() {
  static WindowsLogStorage storage;
  return storage;
}

}  // namespace tarvex
