// Command-line arguments of a tarvex subcommand: positional arguments and
// "--name [value]" options.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands.h"

namespace tarvex::tool {

struct ParsedArguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;

  // The value of the option `name` (empty for a flag); null when not given.
  const std::string* Option(const std::string& name) const;
};

// Options in `valued` take the next argument as their value, those in `flags`
// none; any other "--" argument is an error. `positionalCount` arguments
// besides the options; with `orMore`, at least that many. Raises
// std::runtime_error on a mistake.
ParsedArguments ParseArguments(const Arguments& args, std::initializer_list<std::string_view> valued,
                               std::initializer_list<std::string_view> flags, size_t positionalCount,
                               bool orMore = false);

}  // namespace tarvex::tool
