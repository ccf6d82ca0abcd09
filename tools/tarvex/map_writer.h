// Writes a linker map file (the text read by TVXDebugInfoMap) from a
// program's lines: the segment list, one detailed segment per unit, the
// publics by name and by value, and one "Line numbers for" block per unit.
// Code is segment 0001 with offsets from the first section.
#pragma once

#include <string>

#include "program_lines.h"

namespace tarvex::tool {

std::string WriteMapFile(const ProgramLines& program);

// A procedure's name as a map file can hold it (no blanks or parentheses,
// which end names there): blanks become "_", "(" and ")" become "{" and "}".
std::string MapName(const FunctionLines& function);

}  // namespace tarvex::tool
