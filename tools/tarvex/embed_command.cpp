// tarvex embed MODULE --options FILE [--lines DWARF_MODULE [--key TEXT]]
// tarvex container OUTPUT --options FILE [--lines DWARF_MODULE [--key TEXT]]
#include <stdexcept>

#include "tools/tarvex/arguments.h"
#include "tools/tarvex/commands.h"
#include "tools/tarvex/debug_commands.h"
#include "tools/tarvex/file_bytes.h"
#include "tools/tarvex/module_file.h"
#include "tools/tarvex/module_image.h"
#include "tools/tarvex/options_file.h"

namespace tarvex::tool {

namespace {

uint32_t ImageBaseOf(const std::string& module) {
  BufferMemorySpace memory;
  return MapModuleImage(ReadFileBytes(module), memory);
}

// The container of an options file and, with --lines, a line table; `earlier`
// gives the hook directory and debug information that stay.
EmbeddedData DataOfArguments(const ParsedArguments& parsed, const std::string& module, EmbeddedData earlier) {
  const std::string* optionsPath = parsed.Option("--options");
  const std::string* linesFrom = parsed.Option("--lines");
  const std::string* key = parsed.Option("--key");
  if (optionsPath == nullptr) throw std::runtime_error("--options FILE is required");
  if (key != nullptr && linesFrom == nullptr) throw std::runtime_error("--key goes with --lines");

  const auto text = ReadFileBytes(*optionsPath);
  TTarvexModuleOptions options;
  ContainerSettings settings;
  ParseOptionsFile(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), *optionsPath, options,
                   settings);
  EmbeddedData data = std::move(earlier);
  data.version = kTarvexDataVersion;
  data.buildInfo = BuildInfoNow();
  data.leakOptions = options.LeakFlags();
  data.leakOptionsFromMainModule = settings.leakOptionsFromMainModule ? 1 : 0;
  rtl::ByteWriter stream;
  options.WriteToStream(stream);
  data.optionStream = stream.Take();
  if (linesFrom != nullptr) {
    // The DWARF usually comes from the unstripped copy of the same link.
    if (!module.empty() && ImageBaseOf(*linesFrom) != ImageBaseOf(module))
      throw std::runtime_error(*linesFrom + " is not a build of " + module + " (another image base)");
    data.debugInfo = DebugInformationBlock(*linesFrom, kTarvexDataVersion, key != nullptr ? *key : std::string());
  }
  return data;
}

}  // namespace

int Embed(const Arguments& args) {
  const ParsedArguments parsed = ParseArguments(args, {"--options", "--lines", "--key"}, {}, 1);
  const std::string& module = parsed.positional[0];
  WriteModuleData(module, DataOfArguments(parsed, module, ReadModuleData(module).value_or(EmbeddedData{})));
  return 0;
}

int Container(const Arguments& args) {
  const ParsedArguments parsed = ParseArguments(args, {"--options", "--lines", "--key"}, {}, 1);
  WriteFileBytes(parsed.positional[0], WriteContainer(DataOfArguments(parsed, std::string(), EmbeddedData{})));
  return 0;
}

}  // namespace tarvex::tool
