#include "crashreport/callstack/stack/stack_list.h"

#include "crashreport/callstack/modules/module_info.h"

namespace tarvex {

uint32_t TTarvexStackItem::ModuleHandle() const { return ModuleInfo ? ModuleInfo->Handle : 0; }

TTarvexStackList::~TTarvexStackList() = default;

void TTarvexStackList::Clear() {
  items_.clear();
  ownModules_.clear();
}

TTarvexModuleInfo* TTarvexStackList::Keep(std::unique_ptr<TTarvexModuleInfo> module) {
  ownModules_.push_back(std::move(module));
  return ownModules_.back().get();
}

}  // namespace tarvex
