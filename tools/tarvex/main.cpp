// tarvex: host-side tool for modules that carry the crash reporter.
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>

#include "commands.h"
#include "debug_commands.h"

namespace tarvex::tool {
namespace {

int Help(const Arguments&);

const Command kCommands[] = {
    {"help", "", "lists the commands", Help},
    {"disasm", "FILE [--offset N] [--size N] [--base ADDRESS]",
     "lists the instructions of a module's code sections, or of a byte range of any file", Disasm},
    {"lineinfo", "MODULE OUTPUT [--key TEXT] [--version N] [--append]",
     "writes the module's embedded line table (debug information block) from its DWARF; with --append, "
     "OUTPUT is the module with the block in its appended crash reporter data",
     LineInfoCommand},
    {"map", "MODULE OUTPUT", "writes a linker map file from the module's DWARF", MapCommand},
    {"jdbg", "MODULE OUTPUT [--section]",
     "writes JDBG data from the module's DWARF (with --section: the module with a JCLDEBUG section)", JdbgCommand},
    {"locate", "MODULE [--rva] [--key TEXT] ADDRESS...",
     "names unit, class, procedure and line of hexadecimal addresses (at the module's image base; --rva: offsets) "
     "from the module's embedded line table or its map, TDS or JDBG file",
     LocateCommand},
    {"embed", "MODULE --options FILE [--lines DWARF_MODULE [--key TEXT]]",
     "writes the crash reporter data of an options file into a module (appended to it, replacing earlier data); "
     "with --lines, also the line table from the DWARF of DWARF_MODULE (the unstripped copy of MODULE), names "
     "enciphered with the data key TEXT",
     Embed},
    {"container", "OUTPUT --options FILE [--lines DWARF_MODULE [--key TEXT]]",
     "writes the bare container of embed (the content of a VXDATA resource) to OUTPUT", Container},
    {"options", "dump MODULE | encode FILE OUT.bin | decode IN.bin  [--all]",
     "shows a module's options, or converts between an options file and a raw option stream", OptionsCommand},
    {"log", "FILE [--xml OUT.xml | --show N]",
     "lists the reports of a crash reporter log file (date, exception type, message, count); with --xml, writes "
     "the log's XML document; with --show, prints report N (from 1)",
     LogCommand},
};

int Help(const Arguments&) {
  std::printf("usage: tarvex COMMAND [ARGS]\n\n");
  for (const Command& c : kCommands) std::printf("  %s %s\n      %s\n", c.name, c.usage, c.summary);
  return 0;
}

}  // namespace
}  // namespace tarvex::tool

int main(int argc, char** argv) {
  using namespace tarvex::tool;
  if (argc < 2) return Help({}), 2;
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    try {
      return c.run(Arguments(argv + 2, argv + argc));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tarvex %s: %s\n", c.name, e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "tarvex: unknown command '%s' (try: tarvex help)\n", argv[1]);
  return 2;
}
