// The files under a log, as the log store reaches them (Windows:
// log_storage_win.cpp). Every operation opens the file for that operation
// only, sharing it with every other opener.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tarvex {

// Held while a process reads, changes and writes a log: no other process or
// thread takes the lock of the same log meanwhile. Released when destroyed, by
// the thread that took it.
class LogLock {
 public:
  virtual ~LogLock() = default;
};

class LogStorage {
 public:
  enum class ReadResult { Read, Missing, Failed };

  virtual ~LogStorage() = default;
  // Waits at most `wait` for the lock of the log `fileName`, which exists
  // whether or not the file does; nullptr when it could not be taken.
  virtual std::unique_ptr<LogLock> Lock(const std::string& fileName, std::chrono::milliseconds wait) = 0;
  // The whole file. Failed when it exists but cannot be read whole (locked,
  // no access, a folder, larger than kMaxLogFileSize).
  virtual ReadResult Read(const std::string& fileName, std::string& bytes) = 0;
  // Makes `bytes` the whole file, creating it when missing. A write cut short
  // leaves the file as it was before, never part old and part new.
  virtual bool Write(const std::string& fileName, std::string_view bytes) = 0;
  // True when the file does not exist afterwards.
  virtual bool Remove(const std::string& fileName) = 0;
};

// A log is read whole into memory; a larger file is not taken for a log.
inline constexpr uint64_t kMaxLogFileSize = 256u << 20;

// The running system's files (Windows).
LogStorage& ThisLogStorage();

}  // namespace tarvex
