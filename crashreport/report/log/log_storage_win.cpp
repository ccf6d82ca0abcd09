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

  bool Write(const std::string& fileName, std::string_view bytes) override {
    const win::KernelHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    for (size_t done = 0; done < bytes.size();) {
      DWORD written = 0;
      const DWORD wanted = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - done));
      if (!WriteFile(file.get(), bytes.data() + done, wanted, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return SetEndOfFile(file.get()) != 0;
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
