// tarvex disasm FILE [--offset N] [--size N] [--base ADDRESS]
//
// Lists the instructions of a file the way the bug report's assembler
// listing writes them: the address as 8 upper-case hex digits, two blanks,
// the instruction. With --offset or --size the file is raw bytes (addresses
// from --base, default 0); otherwise it is a module whose code sections are
// listed at the preferred image base (or at --base).
#include <cstdio>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands.h"
#include "crashreport/callstack/disasm/disassembler.h"
#include "crashreport/callstack/pe/pe_file.h"

namespace tarvex::tool {

namespace {

struct Options {
  std::string file;
  std::optional<uint64_t> offset, size, base;
};

uint64_t ParseNumber(const std::string& option, const std::string& text) {
  size_t used = 0;
  uint64_t value = 0;
  try {
    value = std::stoull(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || text[0] == '-' || value > 0xFFFFFFFFu)
    throw std::invalid_argument(option + " needs a 32-bit number (decimal or 0x hexadecimal), not '" + text + "'");
  return value;
}

Options ParseOptions(const Arguments& args) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<uint64_t>* target = arg == "--offset" ? &options.offset
                                      : arg == "--size" ? &options.size
                                      : arg == "--base" ? &options.base
                                                        : nullptr;
    if (target != nullptr) {
      if (i + 1 == args.size()) throw std::invalid_argument(arg + " needs a value");
      *target = ParseNumber(arg, args[++i]);
    } else if (arg.starts_with("--") || !options.file.empty()) {
      throw std::invalid_argument("unexpected argument '" + arg + "'");
    } else {
      options.file = arg;
    }
  }
  if (options.file.empty()) throw std::invalid_argument("no file given");
  return options;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Branch targets as absolute addresses, so listings can be compared.
void WriteTarget(void*, uint32_t, uint32_t target, std::string& text) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "$%08X", target);
  text = buffer;
}

void List(std::span<const uint8_t> code, uint32_t address) {
  TDisAsm disasm;
  disasm.jumpTargetHook = WriteTarget;
  disasm.callTargetHook = WriteTarget;
  std::string text;
  while (!code.empty()) {
    uint32_t length = 0;
    Disassemble(disasm, code, address, length, text);
    std::printf("%08X  %s\n", address, text.c_str());
    code = code.subspan(length);
    address += length;
  }
}

}  // namespace

int Disasm(const Arguments& args) {
  const Options options = ParseOptions(args);
  const std::vector<uint8_t> file = ReadFile(options.file);
  const std::span<const uint8_t> bytes(file);
  if (options.offset || options.size) {
    const uint64_t offset = options.offset.value_or(0);
    if (offset > file.size()) throw std::invalid_argument("--offset lies beyond the end of the file");
    const uint64_t size = std::min<uint64_t>(options.size.value_or(file.size()), file.size() - offset);
    List(bytes.subspan(offset, size), static_cast<uint32_t>(options.base.value_or(0)));
    return 0;
  }
  const PeLayout layout = ReadPeLayout(bytes);
  const uint32_t base = static_cast<uint32_t>(options.base.value_or(layout.imageBase));
  for (const PeSection& section : layout.sections)
    if (section.IsCode()) List(bytes.subspan(section.fileOffset, section.fileSize), base + section.virtualAddress);
  return 0;
}

}  // namespace tarvex::tool
