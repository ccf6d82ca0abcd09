#include "arguments.h"

#include <algorithm>
#include <stdexcept>

namespace tarvex::tool {

const std::string* ParsedArguments::Option(const std::string& name) const {
  for (const auto& [key, value] : options)
    if (key == name) return &value;
  return nullptr;
}

ParsedArguments ParseArguments(const Arguments& args, std::initializer_list<std::string_view> valued,
                               std::initializer_list<std::string_view> flags, size_t positionalCount, bool orMore) {
  ParsedArguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i].rfind("--", 0) != 0) {
      parsed.positional.push_back(args[i]);
      continue;
    }
    const bool takesValue = std::find(valued.begin(), valued.end(), args[i]) != valued.end();
    if (!takesValue && std::find(flags.begin(), flags.end(), args[i]) == flags.end())
      throw std::runtime_error("unknown option " + args[i]);
    if (takesValue && i + 1 == args.size()) throw std::runtime_error(args[i] + " needs a value");
    const std::string& name = args[i];
    parsed.options.emplace_back(name, takesValue ? args[++i] : std::string());
  }
  if (parsed.positional.size() < positionalCount || (!orMore && parsed.positional.size() != positionalCount))
    throw std::runtime_error("wrong number of arguments (see tarvex help)");
  return parsed;
}

}  // namespace tarvex::tool
