// How fast each debug information source names code addresses of a real i686
// module: its embedded line table, a map file and JDBG data, all written from
// the module's DWARF by tarvex's writers and read by the crash reporter's
// readers, and addr2line over the same addresses (one run for all of them,
// start-up included) for comparison.
//
// The module is the Windows build's program with its DWARF
// (build/win32/app/ZorvikCalc.exe.debug) when that build exists, else the line
// probe of tests/tools. TD32 data is not measured: nothing here writes it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/callstack/debuginfo/debug_info_jdbg.h"
#include "crashreport/callstack/debuginfo/debug_info_map.h"
#include "crashreport/callstack/debuginfo/embedded_line_table.h"
#include "crashreport/base/embedded_data/container.h"
#include "dwarf_lines.h"
#include "file_bytes.h"
#include "jdbg_writer.h"
#include "line_table_writer.h"
#include "map_writer.h"
#include "module_image.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvex;
using namespace tarvex::tool;

constexpr size_t kAddresses = 10000;
constexpr uint32_t kSeed = 61101;
constexpr char kKey[] = "benchmark key";

std::string ModulePath() {
  const fs::path program = fs::path(VX_WIN32_BUILD_DIR) / "app" / "ZorvikCalc.exe.debug";
  return fs::exists(program) ? program.string() : VX_LINE_PROBE;
}

// The module mapped as the loader would, its lines, and addresses spread at
// random (fixed seed) over the bytes of its functions.
struct Module {
  Module() : path(ModulePath()), file(ReadFileBytes(path)), program(ReadDwarfLines(path)) {
    base = MapModuleImage(file, memory);
    std::vector<uint64_t> ends;  // running total of function bytes
    uint64_t total = 0;
    for (const FunctionLines& f : program.functions) ends.push_back(total += f.end - f.start);
    std::mt19937_64 random(kSeed);
    std::uniform_int_distribution<uint64_t> pick(0, total - 1);
    for (size_t i = 0; i < kAddresses; ++i) {
      const uint64_t at = pick(random);
      const size_t f = std::upper_bound(ends.begin(), ends.end(), at) - ends.begin();
      const FunctionLines& function = program.functions[f];
      addresses.push_back(base + kFirstSectionOffset + function.end - uint32_t(ends[f] - at));
    }
  }

  std::string Label() const {
    return fs::path(path).filename().string() + ", " + std::to_string(program.functions.size()) + " functions";
  }

  std::string path;
  std::vector<uint8_t> file;
  ProgramLines program;
  BufferMemorySpace memory;
  uint32_t base = 0;
  std::vector<uint32_t> addresses;
};

const Module& TheModule() {
  static const Module module;
  return module;
}

fs::path Scratch() {
  const fs::path folder = fs::temp_directory_path() / "vx_debug_lookup_bench";
  fs::create_directories(folder);
  return folder;
}

// Looks up the addresses in turn; `locate` answers whether it named one.
template <typename Locate>
void LookUpAll(benchmark::State& state, const Module& module, Locate locate) {
  size_t i = 0, found = 0;
  for (auto _ : state) {
    found += locate(module.addresses[i]) ? 1 : 0;
    if (++i == module.addresses.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["named"] = double(found) / double(state.iterations());
  state.SetLabel(module.Label());
}

void BM_EmbeddedLineTable(benchmark::State& state) {
  const Module& module = TheModule();
  const std::vector<uint8_t> block =
      MakeDebugInformationBlock(WriteLineTable(module.program, kTarvexDataVersion, kKey), kKey);
  bool dataValid = false;
  const TVXEmbeddedLineInfo table{LineTableOfBlock(block, kKey, dataValid), kTarvexDataVersion, kKey, dataValid,
                                  module.base};
  const EmbeddedLineIndex index(table);
  state.counters["index_bytes_per_1000_functions"] =
      double(index.MemoryUsed()) * 1000.0 / double(module.program.functions.size());
  TVXStackLocation entry;
  LookUpAll(state, module,
            [&](uint32_t address) { return index.Find(module.memory, address, /*showOwnUnits=*/true, entry); });
}
BENCHMARK(BM_EmbeddedLineTable);

void BM_MapFile(benchmark::State& state) {
  const Module& module = TheModule();
  WriteFileBytes((Scratch() / "module.map").string(), WriteMapFile(module.program));
  TVXDebugInfoMap map(TVXModuleImage{&module.memory, module.base, (Scratch() / "module.exe").string()});
  TVXLocationInfo info;
  LookUpAll(state, module, [&](uint32_t address) { return map.FindLocation(address, info); });
}
BENCHMARK(BM_MapFile);

void BM_JdbgSection(benchmark::State& state) {
  const Module& module = TheModule();
  BufferMemorySpace withSection;
  MapModuleImage(AddJdbgSection(module.file, WriteJdbgData(module.program)), withSection);
  TVXDebugInfoJedy jdbg(TVXModuleImage{&withSection, module.base, (Scratch() / "absent.exe").string()});
  TVXLocationInfo info;
  LookUpAll(state, module, [&](uint32_t address) { return jdbg.FindLocation(address, info); });
}
BENCHMARK(BM_JdbgSection);

// One addr2line run over every address, as a person would name a report's
// addresses from the module's DWARF.
void BM_Addr2line(benchmark::State& state) {
  const Module& module = TheModule();
  const fs::path list = Scratch() / "addresses.txt";
  {
    std::ofstream out(list);
    for (uint32_t address : module.addresses) out << std::hex << "0x" << address << "\n";
  }
  const std::string command =
      std::string(VX_ADDR2LINE) + " -a -f -i -C -e '" + module.path + "' < '" + list.string() + "'";
  size_t lines = 0;
  for (auto _ : state) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return state.SkipWithError("addr2line did not start");
    char buffer[8192];
    for (lines = 0; std::fgets(buffer, sizeof buffer, pipe);) ++lines;
    if (pclose(pipe) != 0) return state.SkipWithError("addr2line failed");
  }
  state.SetItemsProcessed(state.iterations() * int64_t(module.addresses.size()));
  state.counters["lines_out"] = double(lines);
  state.SetLabel(module.Label());
}
BENCHMARK(BM_Addr2line)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
