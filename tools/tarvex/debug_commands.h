// The debug information subcommands of the tarvex tool.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"

namespace tarvex::tool {

// The debug information block (key check and line table, names enciphered
// with `key`) from the DWARF of `dwarfModule`. Raises std::runtime_error for a
// module without DWARF or a key longer than kMaxDataKeyLength.
std::vector<uint8_t> DebugInformationBlock(const std::string& dwarfModule, uint16_t version, std::string_view key);

int LineInfoCommand(const Arguments& args);  // tarvex lineinfo MODULE OUTPUT [--key TEXT] [--version N] [--append]
int MapCommand(const Arguments& args);       // tarvex map MODULE OUTPUT
int JdbgCommand(const Arguments& args);      // tarvex jdbg MODULE OUTPUT [--section]
int LocateCommand(const Arguments& args);    // tarvex locate MODULE [--rva] [--key TEXT] ADDRESS...

}  // namespace tarvex::tool
