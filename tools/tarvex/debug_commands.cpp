#include "debug_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/callstack/debuginfo/debug_info_source.h"
#include "crashreport/callstack/debuginfo/embedded_line_table.h"
#include "crashreport/base/embedded_data/container.h"
#include "crashreport/base/util/file_names.h"
#include "arguments.h"
#include "dwarf_lines.h"
#include "file_bytes.h"
#include "jdbg_writer.h"
#include "line_table_writer.h"
#include "map_writer.h"
#include "module_image.h"
#include "rtl/convert.h"

namespace tarvex::tool {

std::vector<uint8_t> DebugInformationBlock(const std::string& dwarfModule, uint16_t version, std::string_view key) {
  if (key.size() > kMaxDataKeyLength)
    throw std::runtime_error("the data key is longer than " + std::to_string(kMaxDataKeyLength) + " characters");
  return MakeDebugInformationBlock(WriteLineTable(ReadDwarfLines(dwarfModule), version, key), key);
}

int LineInfoCommand(const Arguments& args) {
  const ParsedArguments parsed = ParseArguments(args, {"--key", "--version"}, {"--append"}, 2);
  const std::string* key = parsed.Option("--key");
  const std::string* version = parsed.Option("--version");
  const int number = version != nullptr ? rtl::StrToInt(*version) : kTarvexDataVersion;
  if (number < 1 || number > 0xFFFF) throw std::runtime_error("--version must be 1..65535");
  const std::vector<uint8_t> block =
      DebugInformationBlock(parsed.positional[0], static_cast<uint16_t>(number), key != nullptr ? *key : std::string());
  if (parsed.Option("--append") == nullptr) {
    WriteFileBytes(parsed.positional[1], block);
    return 0;
  }
  // Into the container appended to the module: OUTPUT is the module written back.
  const std::vector<uint8_t> file = ReadFileBytes(parsed.positional[0]);
  std::optional<EmbeddedData> data = ReadContainer(FindAppendedContainer(file));
  if (!data) throw std::runtime_error(parsed.positional[0] + " carries no crash reporter data to add the line table to");
  data->debugInfo = block;
  WriteFileBytes(parsed.positional[1], AppendContainer(file, WriteContainer(*data)));
  return 0;
}

int MapCommand(const Arguments& args) {
  const ParsedArguments parsed = ParseArguments(args, {}, {}, 2);
  WriteFileBytes(parsed.positional[1], WriteMapFile(ReadDwarfLines(parsed.positional[0])));
  return 0;
}

int JdbgCommand(const Arguments& args) {
  const ParsedArguments parsed = ParseArguments(args, {}, {"--section"}, 2);
  const std::vector<uint8_t> data = WriteJdbgData(ReadDwarfLines(parsed.positional[0]));
  if (parsed.Option("--section") != nullptr)
    WriteFileBytes(parsed.positional[1], AddJdbgSection(ReadFileBytes(parsed.positional[0]), data));
  else
    WriteFileBytes(parsed.positional[1], data);
  return 0;
}

namespace {

// "1234ABCD" or "0x1234ABCD"; throws on anything else.
uint32_t ParseHexAddress(const std::string& text) {
  const std::string digits = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? text.substr(2) : text;
  char* end = nullptr;
  const unsigned long value = std::strtoul(digits.c_str(), &end, 16);
  if (digits.empty() || *end != '\0' || value > 0xFFFFFFFFul) throw std::runtime_error("not a hexadecimal address: " + text);
  return static_cast<uint32_t>(value);
}

}  // namespace

int LocateCommand(const Arguments& args) {
  const ParsedArguments parsed = ParseArguments(args, {"--key"}, {"--rva"}, 2, /*orMore=*/true);
  const std::string& module = parsed.positional[0];
  const std::vector<uint8_t> file = ReadFileBytes(module);
  BufferMemorySpace memory;
  const uint32_t base = MapModuleImage(file, memory);
  // Without --key, the key the module itself exports, as the reporter would use it.
  const std::string* keyOption = parsed.Option("--key");
  const std::string key = keyOption != nullptr ? *keyOption : ExportedDataKey(memory, base);

  // The embedded line table of the container appended to the module, if any.
  std::optional<EmbeddedData> data = ReadContainer(FindAppendedContainer(file));
  bool dataValid = false;
  const std::span<const uint8_t> table =
      data ? LineTableOfBlock(data->debugInfo, key, dataValid) : std::span<const uint8_t>();
  const EmbeddedLineIndex embedded(TVXEmbeddedLineInfo{table, data ? data->version : uint16_t(0), key, dataValid, base});
  const std::unique_ptr<TVXDebugInfoSource> external = LoadDebugSource(TVXModuleImage{&memory, base, module});

  const std::string moduleName = ExtractFileName(module);
  for (size_t i = 1; i < parsed.positional.size(); ++i) {
    uint32_t address = ParseHexAddress(parsed.positional[i]);
    if (parsed.Option("--rva") != nullptr) address += base;
    TVXStackLocation entry;
    TVXLocationInfo info;
    if (!embedded.Find(memory, address, /*showOwnUnits=*/true, entry)) {
      const bool answered = external != nullptr && external->FindLocation(address, info) && !info.QualifiedName.empty();
      entry = answered ? StackLocationFromExternal(info, true) : TVXStackLocation{};
    }
    std::printf("$%8.8x - [%8.8x] %s - %s - %s - %s - %u[%u]\n", address, base, moduleName.c_str(), entry.UnitName.c_str(),
                entry.ClassName.c_str(), entry.ProcedureName.c_str(), entry.Line, entry.LinesIntoProc);
  }
  return 0;
}

}  // namespace tarvex::tool
