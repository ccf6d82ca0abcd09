// Loaded modules and their exported functions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/debug_info_source.h"
#include "crashreport/callstack/debuginfo/embedded_line_table.h"
#include "crashreport/base/options/options.h"

namespace tarvex {

// One exported function of a module.
struct TTarvexFunctionInfo {
  std::string Name;
  uint32_t Address = 0;
  // 1 for an export below the module's code section; otherwise 0 until first
  // needed, then the measured code size, kept.
  uint32_t Size = 0;
};

// Exported functions sorted by Address (owned).
class TTarvexFunctionsList {
 public:
  // Measures the code of a function that starts at the given address.
  using Sizer = std::function<uint32_t(uint32_t address)>;

  void Add(TTarvexFunctionInfo function) { functions_.push_back(std::move(function)); }
  void Sort();  // by Address; call after adding
  bool empty() const { return functions_.empty(); }
  size_t size() const { return functions_.size(); }
  const TTarvexFunctionInfo& operator[](size_t index) const { return functions_[index]; }

  // The function whose range [Address, Address + Size] holds `address`, or
  // null. A Size still 0 is measured with `sizer` once and kept.
  const TTarvexFunctionInfo* Find(uint32_t address, const Sizer& sizer);

 private:
  std::vector<TTarvexFunctionInfo> functions_;
};

enum TTarvexModuleKind : uint8_t {
  mkUnknown = 0,     // not a readable image
  mkExecutable = 1,
  mkPackage = 2,     // a library carrying the package resources
  mkLibrary = 3,
};

// One loaded module (owned by the modules list).
struct TTarvexModuleInfo {
  uint32_t Handle = 0;  // load address
  std::string FileName;
  std::string Description;  // FileDescription of the version resource
  std::string Version;      // "a.b.c.d"; empty when absent or 0.0.0.0
  uint32_t FileSize = 0;    // low 32 bits; 0 when the file is not found
  TTarvexFunctionsList Functions;
  uint8_t ModuleKind = mkUnknown;
  uint16_t DebugVersion = 0;  // version of the embedded debug data (0 when none)
  uint8_t DebugHeader[8] = {};
  std::vector<uint8_t> LineInfo;                    // the embedded line table, empty when none
  std::unique_ptr<EmbeddedLineIndex> LineIndex;     // LineInfo decoded, built at its first lookup
  std::unique_ptr<TVXDebugInfoSource> DebugSource;  // map, TD32 or JDBG data; empty when none
  double FileDate = 0;  // days since 1899-12-30, local time
  std::string DataKey;
  uint8_t DataValid = 1;
  // The module's crash reporter options (a TTarvexModuleOptionsEx), read from
  // its embedded data when the record is built with debug information; empty before.
  std::unique_ptr<TTarvexModuleOptions> Options;
};

// The modules of the process, sorted by Handle after each refresh.
class TTarvexModulesList {
 public:
  int Count() const { return static_cast<int>(modules_.size()); }
  TTarvexModuleInfo& operator[](int index) { return *modules_[index]; }
  const TTarvexModuleInfo& operator[](int index) const { return *modules_[index]; }

  TTarvexModuleInfo* Add(std::unique_ptr<TTarvexModuleInfo> module);
  void Delete(int index) { modules_.erase(modules_.begin() + index); }
  int IndexOfHandle(uint32_t handle) const;  // linear; -1 when absent
  void SortByHandle();
  void Clear() { modules_.clear(); }

 private:
  std::vector<std::unique_ptr<TTarvexModuleInfo>> modules_;
};

}  // namespace tarvex
