// Reads the line information of a linked PE module from its DWARF.
#pragma once

#include <string>

#include "program_lines.h"

namespace tarvex::tool {

// Every function with code (DW_TAG_subprogram with addresses), its scope and
// name, and for each address the line of the function's own source: inside
// inlined code that is the line of the outermost call. Throws
// std::runtime_error when the file is not a readable module with DWARF.
ProgramLines ReadDwarfLines(const std::string& modulePath);

}  // namespace tarvex::tool
