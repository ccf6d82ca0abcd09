// tarvex options dump|encode|decode
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>

#include "tools/tarvex/commands.h"
#include "tools/tarvex/file_bytes.h"
#include "tools/tarvex/module_file.h"
#include "tools/tarvex/options_file.h"

namespace tarvex::tool {
namespace {

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

bool TakeAllFlag(Arguments& args) {
  for (auto it = args.begin(); it != args.end(); ++it) {
    if (*it != "--all") continue;
    args.erase(it);
    return true;
  }
  return false;
}

std::string CompileTimeText(const std::array<uint8_t, 8>& buildInfo) {
  const double days = CompileDateFromBuildInfo(buildInfo);
  if (!(days > 0) || !std::isfinite(days)) return "unknown";
  const auto seconds = static_cast<std::time_t>(std::llround((days - CompileDateFromUnixTime(0)) * 86400.0));
  std::tm utc{};
  if (gmtime_r(&seconds, &utc) == nullptr) return "unknown";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

void ReadStream(TTarvexModuleOptions& options, std::span<const uint8_t> bytes, uint16_t version) {
  rtl::ByteReader in(bytes);
  options.ReadFromStream(in, version);
  if (!in.AtEnd()) throw std::runtime_error(std::to_string(in.Remaining()) + " bytes follow the option stream");
}

int Dump(const std::string& module, bool all) {
  const auto data = ReadModuleData(module);
  if (!data) throw std::runtime_error(module + " carries no usable crash reporter data");
  TTarvexModuleOptions options;
  ReadStream(options, data->optionStream, data->version);
  Print("# " + module + ": data version " + std::to_string(data->version) + ", compiled " +
        CompileTimeText(data->buildInfo) + ", " + std::to_string(data->hooks.size()) + " hook entries, " +
        std::to_string(data->debugInfo.size()) + " bytes of debug information\n");
  Print(FormatOptionsFile(options, {data->leakOptionsFromMainModule != 0}, all));
  return 0;
}

int Encode(const std::string& optionsPath, const std::string& out) {
  const auto text = ReadFileBytes(optionsPath);
  TTarvexModuleOptions options;
  ContainerSettings ignored;
  ParseOptionsFile(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), optionsPath, options,
                   ignored);
  rtl::ByteWriter stream;
  options.WriteToStream(stream);
  WriteFileBytes(out, stream.Bytes());
  return 0;
}

int Decode(const std::string& in, bool all) {
  TTarvexModuleOptions options;
  ReadStream(options, ReadFileBytes(in), kTarvexDataVersion);
  Print(FormatOptionsFile(options, {}, all));
  return 0;
}

}  // namespace

int OptionsCommand(const Arguments& arguments) {
  Arguments args = arguments;
  const bool all = TakeAllFlag(args);
  if (args.size() == 2 && args[0] == "dump") return Dump(args[1], all);
  if (args.size() == 3 && args[0] == "encode" && !all) return Encode(args[1], args[2]);
  if (args.size() == 2 && args[0] == "decode") return Decode(args[1], all);
  std::fprintf(stderr,
               "usage: tarvex options dump MODULE [--all]\n"
               "       tarvex options encode FILE OUT.bin\n"
               "       tarvex options decode IN.bin [--all]\n");
  return 2;
}

}  // namespace tarvex::tool
