// The class name of a C++ object in memory, for the assembler listing's
// operand notes. Read from the object's run-time type information as the
// 32-bit compiler lays it out:
//
//   object + 0   pointer V to the address point of its class's virtual table
//   V - 8        offset to top (0 for a complete object)
//   V - 4        pointer T to the class's type_info
//   T + 0        type_info's own virtual table pointer (not 0)
//   T + 4        pointer to the mangled name, 0-terminated
//
// The mangled name of a class is "<length><name>" or, inside namespaces,
// "N<length><name>...E"; the class name is the last <name>.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

// Empty unless every step above reads and the virtual table lies in
// read-only memory (heap and stack words never pass for an object).
std::string ObjectClassName(const MemorySpace& memory, uint32_t address);

// The class name in a mangled type name; empty for any other form
// (templates, nested functions, built-in types).
std::string ClassNameOfMangledName(const std::string& mangled);

}  // namespace tarvex
