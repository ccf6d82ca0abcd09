// Modules of a synthetic address space: a handle and an address range each.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "crashreport/callstack/stack/call_stack_context.h"

namespace tarvex::testing {

class SyntheticModules : public ModuleDirectory {
 public:
  TTarvexModuleInfo& AddModule(uint32_t handle, uint32_t size, std::string fileName) {
    auto module = std::make_unique<TTarvexModuleInfo>();
    module->Handle = handle;
    module->FileName = std::move(fileName);
    ranges_.push_back({handle, size});
    return *modules_.Add(std::move(module));
  }

  TTarvexModuleInfo* FindModuleInfo(uint32_t address) override {
    for (size_t i = 0; i < ranges_.size(); ++i)
      if (address - ranges_[i].base < ranges_[i].size) return &modules_[static_cast<int>(i)];
    return nullptr;
  }

  bool ModuleOf(uint32_t address, uint32_t& handle, std::string& fileName) override {
    const TTarvexModuleInfo* module = FindModuleInfo(address);
    if (!module) return false;
    handle = module->Handle;
    fileName = module->FileName;
    return true;
  }

 private:
  struct Range {
    uint32_t base, size;
  };
  std::vector<Range> ranges_;
  TTarvexModulesList modules_;
};

}  // namespace tarvex::testing
