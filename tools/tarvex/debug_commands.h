// The debug information subcommands of the tarvex tool.
#pragma once

#include "commands.h"

namespace tarvex::tool {

int LineInfoCommand(const Arguments& args);  // tarvex lineinfo MODULE OUTPUT [--key TEXT] [--version N] [--append]
int MapCommand(const Arguments& args);       // tarvex map MODULE OUTPUT
int JdbgCommand(const Arguments& args);      // tarvex jdbg MODULE OUTPUT [--section]
int LocateCommand(const Arguments& args);    // tarvex locate MODULE [--rva] [--key TEXT] ADDRESS...

}  // namespace tarvex::tool
