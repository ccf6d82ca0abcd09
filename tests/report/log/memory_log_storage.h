// Log files kept in memory, for the store's host tests: files by name, a lock
// that can be held elsewhere, and files that exist but cannot be read or written.
#pragma once

#include <map>
#include <set>
#include <string>

#include "crashreport/report/log/log_storage.h"

namespace tarvex::testing {

class MemoryLogStorage : public LogStorage {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> unreadable, unwritable;
  bool lockHeldElsewhere = false;
  int locksTaken = 0, locksHeld = 0;

  std::unique_ptr<LogLock> Lock(const std::string&, std::chrono::milliseconds) override {
    if (lockHeldElsewhere) return nullptr;
    ++locksTaken;
    return std::make_unique<Held>(locksHeld);
  }

  ReadResult Read(const std::string& fileName, std::string& bytes) override {
    if (unreadable.contains(fileName)) return ReadResult::Failed;
    const auto file = files.find(fileName);
    if (file == files.end()) return ReadResult::Missing;
    bytes = file->second;
    return ReadResult::Read;
  }

  bool Write(const std::string& fileName, std::string_view bytes) override {
    if (unwritable.contains(fileName)) return false;
    files[fileName] = std::string(bytes);
    return true;
  }

  bool Remove(const std::string& fileName) override {
    if (unwritable.contains(fileName)) return false;
    files.erase(fileName);
    return true;
  }

 private:
  class Held : public LogLock {
   public:
    explicit Held(int& held) : held_(held) { ++held_; }
    ~Held() override { --held_; }

   private:
    int& held_;
  };
};

}  // namespace tarvex::testing
