#include "crashreport/callstack/modules/module_info.h"

#include <algorithm>

namespace tarvex {

void TTarvexFunctionsList::Sort() {
  std::stable_sort(functions_.begin(), functions_.end(),
                   [](const TTarvexFunctionInfo& a, const TTarvexFunctionInfo& b) { return a.Address < b.Address; });
}

const TTarvexFunctionInfo* TTarvexFunctionsList::Find(uint32_t address, const Sizer& sizer) {
  auto after = std::upper_bound(functions_.begin(), functions_.end(), address,
                                [](uint32_t a, const TTarvexFunctionInfo& f) { return a < f.Address; });
  if (after == functions_.begin()) return nullptr;
  TTarvexFunctionInfo& function = *std::prev(after);
  if (function.Size == 0 && sizer) function.Size = sizer(function.Address);
  return uint64_t(address) <= uint64_t(function.Address) + function.Size ? &function : nullptr;
}

TTarvexModuleInfo* TTarvexModulesList::Add(std::unique_ptr<TTarvexModuleInfo> module) {
  modules_.push_back(std::move(module));
  return modules_.back().get();
}

int TTarvexModulesList::IndexOfHandle(uint32_t handle) const {
  for (size_t i = 0; i < modules_.size(); ++i)
    if (modules_[i]->Handle == handle) return static_cast<int>(i);
  return -1;
}

void TTarvexModulesList::SortByHandle() {
  std::stable_sort(modules_.begin(), modules_.end(),
                   [](const auto& a, const auto& b) { return a->Handle < b->Handle; });
}

}  // namespace tarvex
