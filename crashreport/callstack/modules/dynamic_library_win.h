// A library loaded for a few optional calls; freed on every path.
#pragma once

#include <windows.h>

namespace tarvex {

class DynamicLibrary {
 public:
  // Loads `name`, or only refers to it when `alreadyLoaded` (never freed then).
  explicit DynamicLibrary(const char* name, bool alreadyLoaded = false)
      : module_(alreadyLoaded ? GetModuleHandleA(name) : LoadLibraryA(name)), owned_(!alreadyLoaded) {}
  ~DynamicLibrary() {
    if (module_ && owned_) FreeLibrary(module_);
  }
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // The entry `name` as a function of type Function, or null when missing.
  template <typename Function>
  Function* Get(const char* name) const {
    return module_ ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
  }

 private:
  HMODULE module_;
  bool owned_;
};

}  // namespace tarvex
