// The line information of a linked program, independent of where it came
// from (DWARF) and of the formats written from it (embedded line table, map
// file, JDBG data).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::tool {

// Offsets count from the module's first section (image base + 0x1000).
struct LineRow {
  uint32_t offset = 0;
  uint32_t line = 0;
};

// One contiguous piece of a function's code (a function split into hot and
// cold parts gives two).
struct FunctionLines {
  std::string file;   // source file path
  std::string scope;  // enclosing namespaces and classes, "::"-joined; empty for a global function
  std::string name;   // the function's own name ("Bar", "operator()", "max<int>")
  uint32_t start = 0;
  uint32_t end = 0;           // one past the last byte
  std::vector<LineRow> rows;  // ascending offsets, the first at `start`, equal lines merged
};

struct ProgramLines {
  uint32_t imageBase = 0;
  std::vector<FunctionLines> functions;  // ascending, non-overlapping
};

// A unit: a run of consecutive functions of one source file.
struct UnitLines {
  std::string file;
  uint32_t start = 0;
  uint32_t end = 0;
  std::vector<const FunctionLines*> functions;
};

std::vector<UnitLines> GroupIntoUnits(const ProgramLines& program);

// The file name without its folder.
std::string BaseName(const std::string& path);

}  // namespace tarvex::tool
