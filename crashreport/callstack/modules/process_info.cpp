#include "crashreport/callstack/modules/process_info.h"

#include <algorithm>

namespace tarvex {

TTarvexProcessInfo* TTarvexProcessesList::Add(std::unique_ptr<TTarvexProcessInfo> process) {
  processes_.push_back(std::move(process));
  return processes_.back().get();
}

void TTarvexProcessesList::SortByProcessID() {
  std::stable_sort(processes_.begin(), processes_.end(),
                   [](const auto& a, const auto& b) { return a->ProcessID < b->ProcessID; });
}

int TTarvexProcessesList::IndexOfProcessID(uint32_t processID) const {
  auto it = std::lower_bound(processes_.begin(), processes_.end(), processID,
                             [](const auto& p, uint32_t id) { return p->ProcessID < id; });
  return it != processes_.end() && (*it)->ProcessID == processID ? static_cast<int>(it - processes_.begin()) : -1;
}

void ThreadCounter::CountThreadOf(uint32_t processID) {
  if (lastHit_ < 0 || lastHit_ >= list_.Count() || list_[lastHit_].ProcessID != processID)
    lastHit_ = list_.IndexOfProcessID(processID);
  if (lastHit_ >= 0) ++list_[lastHit_].Threads;
}

}  // namespace tarvex
