#include "debug_commands.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "crashreport/callstack/data_key.h"
#include "dwarf_lines.h"
#include "file_bytes.h"
#include "jdbg_writer.h"
#include "line_table_writer.h"
#include "map_writer.h"
#include "rtl/convert.h"

namespace tarvex::tool {

namespace {

// The positional arguments and the given options: those in `valued` take the
// next argument as their value, those in `flags` none; others are errors.
struct Parsed {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;

  const std::string* Option(const std::string& name) const {
    for (const auto& [key, value] : options)
      if (key == name) return &value;
    return nullptr;
  }
};

Parsed Parse(const Arguments& args, std::initializer_list<std::string_view> valued,
             std::initializer_list<std::string_view> flags, size_t positionalCount) {
  Parsed parsed;
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
  if (parsed.positional.size() != positionalCount) throw std::runtime_error("wrong number of arguments (see tarvex help)");
  return parsed;
}

}  // namespace

int LineInfoCommand(const Arguments& args) {
  const Parsed parsed = Parse(args, {"--key", "--version"}, {}, 2);
  const std::string* key = parsed.Option("--key");
  const std::string* version = parsed.Option("--version");
  const int number = version != nullptr ? rtl::StrToInt(*version) : kLineTableVersion;
  if (number < 1 || number > 0xFFFF) throw std::runtime_error("--version must be 1..65535");
  const ProgramLines program = ReadDwarfLines(parsed.positional[0]);
  const std::vector<uint8_t> table =
      WriteLineTable(program, static_cast<uint16_t>(number), key != nullptr ? *key : std::string());
  WriteFileBytes(parsed.positional[1], MakeDebugInformationBlock(table, key != nullptr ? *key : std::string()));
  return 0;
}

int MapCommand(const Arguments& args) {
  const Parsed parsed = Parse(args, {}, {}, 2);
  WriteFileBytes(parsed.positional[1], WriteMapFile(ReadDwarfLines(parsed.positional[0])));
  return 0;
}

int JdbgCommand(const Arguments& args) {
  const Parsed parsed = Parse(args, {}, {"--section"}, 2);
  const std::vector<uint8_t> data = WriteJdbgData(ReadDwarfLines(parsed.positional[0]));
  if (parsed.Option("--section") != nullptr)
    WriteFileBytes(parsed.positional[1], AddJdbgSection(ReadFileBytes(parsed.positional[0]), data));
  else
    WriteFileBytes(parsed.positional[1], data);
  return 0;
}

}  // namespace tarvex::tool
