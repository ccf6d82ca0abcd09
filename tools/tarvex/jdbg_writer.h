// Writes JDBG data (the binary format read by TVXDebugInfoJedy) from a
// program's lines, and adds it to a module as its "JCLDEBUG" section.
//
//   +0 "JDBG"  +4 u8 version 1  +5 u32 units  +9 u32 source names
//   +13 u32 symbols  +17 u32 line numbers  +21 u32 names area
//   +29 u32 checksum  +33 u8 checksum present  +34 tables ...
// Tables hold variable-length numbers (7 bits a byte, low group first, bit 7
// = more follows) as accumulated deltas, ended by 0x7FFFFFFF. Units and
// source names: (address, name); symbols: (address, first name, second
// name); line numbers: (address, line). A name value n > 0 is at names-area
// offset n - 1: either 1 and a zero-ended string XORed with 0xAA (bytes equal
// to 0xAA kept), or 6-bit codes packed four to three bytes (2 first for a
// leading "@"; 0 ends, 1..10 digits, 11..36 A-Z, 37..62 a-z, 63 "_").
// The checksum is the sum of all 32-bit words with the checksum zeroed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "program_lines.h"

namespace tarvex::tool {

std::vector<uint8_t> WriteJdbgData(const ProgramLines& program);

// The module file with `data` appended as a new last section named
// "JCLDEBUG" (read-only initialized data). Throws std::runtime_error when the
// module's headers have no room for another section header.
std::vector<uint8_t> AddJdbgSection(std::vector<uint8_t> module, const std::vector<uint8_t>& data);

}  // namespace tarvex::tool
