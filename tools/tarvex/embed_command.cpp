// tarvex embed MODULE --options FILE
#include <cstdio>
#include <stdexcept>

#include "tools/tarvex/commands.h"
#include "tools/tarvex/file_bytes.h"
#include "tools/tarvex/module_file.h"
#include "tools/tarvex/options_file.h"

namespace tarvex::tool {

int Embed(const Arguments& args) {
  if (args.size() != 3 || args[1] != "--options") {
    std::fprintf(stderr, "usage: tarvex embed MODULE --options FILE\n");
    return 2;
  }
  const std::string& module = args[0];
  const std::string& optionsPath = args[2];
  const auto text = ReadFileBytes(optionsPath);
  TTarvexModuleOptions options;
  ContainerSettings settings;
  ParseOptionsFile(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), optionsPath, options,
                   settings);

  // The hook directory and debug information of earlier data stay; the options are replaced.
  EmbeddedData data = ReadModuleData(module).value_or(EmbeddedData{});
  data.version = kTarvexDataVersion;
  data.buildInfo = BuildInfoNow();
  data.leakOptions = options.LeakFlags();
  data.leakOptionsFromMainModule = settings.leakOptionsFromMainModule ? 1 : 0;
  rtl::ByteWriter stream;
  options.WriteToStream(stream);
  data.optionStream = stream.Take();
  WriteModuleData(module, data);
  return 0;
}

}  // namespace tarvex::tool
