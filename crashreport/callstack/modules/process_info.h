// The processes running on the machine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvex {

struct TTarvexProcessInfo {
  uint32_t ProcessID = 0;
  std::string FileName;  // full path when known
  std::string Description;
  std::string Version;
  uint32_t PriorityClass = 0;
  uint32_t Memory = 0;  // working set in bytes, 0 when unknown
  uint32_t Threads = 0;
};

// Owned records, sorted by ProcessID after each refresh.
class TTarvexProcessesList {
 public:
  int Count() const { return static_cast<int>(processes_.size()); }
  TTarvexProcessInfo& operator[](int index) { return *processes_[index]; }
  const TTarvexProcessInfo& operator[](int index) const { return *processes_[index]; }

  TTarvexProcessInfo* Add(std::unique_ptr<TTarvexProcessInfo> process);
  void Clear() { processes_.clear(); }
  void SortByProcessID();
  // Binary search on the sorted list; -1 when absent.
  int IndexOfProcessID(uint32_t processID) const;

 private:
  std::vector<std::unique_ptr<TTarvexProcessInfo>> processes_;
};

// Adds one thread to its owner's count; threads arrive grouped by owner, so
// the previous hit is tried before searching.
class ThreadCounter {
 public:
  explicit ThreadCounter(TTarvexProcessesList& list) : list_(list) {}
  void CountThreadOf(uint32_t processID);

 private:
  TTarvexProcessesList& list_;
  int lastHit_ = -1;
};

}  // namespace tarvex
