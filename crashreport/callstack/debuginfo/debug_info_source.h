// External debug information sources of a module: a linker map file, TD32
// data, JDBG data. Each answers "which unit, procedure and line is this
// address" in a TVXLocationInfo.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/location_info.h"
#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/base/util/file_names.h"

namespace tarvex {

// The module a source describes: its image in memory and its file.
struct TVXModuleImage {
  const MemorySpace* Memory = nullptr;
  uint32_t Handle = 0;   // load address
  std::string FileName;  // the module file; debug files are looked for beside it
};

class TVXDebugInfoSource {
 public:
  virtual ~TVXDebugInfoSource() = default;
  TVXDebugInfoSource(const TVXDebugInfoSource&) = delete;
  TVXDebugInfoSource& operator=(const TVXDebugInfoSource&) = delete;

  // Loads the format's data; true when found. (Each subclass's constructor calls it.)
  virtual bool LoadSource() = 0;
  // The coordinate every reader uses: the offset from the module's first section.
  virtual uint32_t SectionOffset(uint32_t address) const { return address - module_.Handle - 0x1000; }
  virtual bool IsValid() const = 0;
  virtual bool FindLocation(uint32_t address, TVXLocationInfo& info) = 0;

  const TVXModuleImage& Module() const { return module_; }

 protected:
  explicit TVXDebugInfoSource(TVXModuleImage module) : module_(std::move(module)) {}

 private:
  TVXModuleImage module_;
};

// The first valid source of the module, trying a map file, then TD32 data,
// then JDBG data; empty when there is none.
std::unique_ptr<TVXDebugInfoSource> LoadDebugSource(const TVXModuleImage& module);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes);

}  // namespace tarvex
