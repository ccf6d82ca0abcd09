// The subcommands of the `tarvex` host tool. Each lives in its own file and
// is listed once in kCommands (main.cpp).
#pragma once

#include <string>
#include <vector>

namespace tarvex::tool {

using Arguments = std::vector<std::string>;  // the arguments after the subcommand name

struct Command {
  const char* name;
  const char* usage;    // argument synopsis shown by "tarvex help"
  const char* summary;  // one line
  int (*run)(const Arguments& args);
};

int Disasm(const Arguments& args);          // disasm_command.cpp
int Embed(const Arguments& args);           // embed_command.cpp
int Container(const Arguments& args);       // embed_command.cpp
int OptionsCommand(const Arguments& args);  // options_command.cpp
int LogCommand(const Arguments& args);      // log_command.cpp

}  // namespace tarvex::tool
