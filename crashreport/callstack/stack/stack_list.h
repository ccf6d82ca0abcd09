// Call-stack entries and the list that owns them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "crashreport/callstack/debuginfo/info_level.h"
#include "crashreport/callstack/stack/short_string.h"

namespace tarvex {

struct TTarvexModuleInfo;


// True for the kinds that carry a procedure name (ilProcedure, ilUnit, ilLine).
constexpr bool HasProcedure(uint8_t level) { return level >= ilProcedure && level <= ilLine; }

// One call-stack entry.
struct TTarvexStackItem {
  uint8_t InfoLevel = ilNone;
  TTarvexModuleInfo* ModuleInfo = nullptr;  // not owned; may be empty
  uint32_t ThreadID = 0;
  uint8_t Tag = 0;               // 1 for a live stack, 0 for a thread's saved stack
  uint8_t IsExceptionPoint = 0;  // 1 only for the entry made from the exception address
  uint8_t IsLeak = 0;
  ShortString<64> LeakType;
  uint32_t LeakSize = 0;
  uint32_t LeakCount = 0;
  uint32_t Address = 0;
  ShortString<255> UnitName;
  ShortString<255> ClassName;
  ShortString<255> ProcedureName;
  uint32_t Line = 0;           // 0 = unknown
  uint32_t LinesIntoProc = 0;  // lines from the procedure's first line to Line

  uint32_t ModuleHandle() const;  // 0 without a module
};

// Ordered list of owned entries; several threads' entries follow each other,
// each thread's contiguous.
class TTarvexStackList {
 public:
  TTarvexStackList() = default;
  TTarvexStackList(const TTarvexStackList&) = delete;
  TTarvexStackList& operator=(const TTarvexStackList&) = delete;
  ~TTarvexStackList();

  int Count() const { return static_cast<int>(items_.size()); }
  TTarvexStackItem& operator[](int index) { return *items_[index]; }
  const TTarvexStackItem& operator[](int index) const { return *items_[index]; }

  void Add(std::unique_ptr<TTarvexStackItem> item) { items_.push_back(std::move(item)); }
  void Delete(int index) { items_.erase(items_.begin() + index); }
  void Clear();

  // Keeps a module record that belongs to this list's entries only (entries
  // made without debug lookup get a record of their own).
  TTarvexModuleInfo* Keep(std::unique_ptr<TTarvexModuleInfo> module);

 private:
  std::vector<std::unique_ptr<TTarvexStackItem>> items_;
  std::vector<std::unique_ptr<TTarvexModuleInfo>> ownModules_;
};

}  // namespace tarvex
