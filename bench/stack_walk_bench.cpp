// The stack walk and the address lookup over a synthetic image: a module of
// 4,000 exported functions and a 100 KB stack in which every 32nd slot is
// a return address behind a call.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "crashreport/callstack/stack/locate_address.h"
#include "crashreport/callstack/stack/stack_walk.h"
#include "tests/callstack/stack/synthetic_modules.h"

namespace {

using namespace tarvex;

constexpr uint32_t kModule = 0x400000, kCode = 0x401000, kFunctions = 4000, kFunctionSize = 0x40;
constexpr uint32_t kStack = 0x100000, kStackBytes = 100 * 1024;

struct SyntheticProcess {
  SyntheticProcess() {
    std::vector<uint8_t> code(kFunctions * kFunctionSize, 0x90);
    for (uint32_t f = 0; f < kFunctions; ++f) {
      code[f * kFunctionSize + 0x10] = 0xFF;  // call eax, returning to +0x12
      code[f * kFunctionSize + 0x11] = 0xD0;
      code[f * kFunctionSize + kFunctionSize - 1] = 0xC3;
    }
    memory.Map(kCode, code);
    TTarvexModuleInfo& module = modules.AddModule(kModule, kCode - kModule + uint32_t(code.size()), "Program.exe");
    for (uint32_t f = 0; f < kFunctions; ++f)
      module.Functions.Add({"Unit" + std::to_string(f % 50) + ".Function" + std::to_string(f),
                            kCode + f * kFunctionSize, kFunctionSize - 1});
    module.Functions.Sort();

    std::mt19937 random(7);
    std::vector<uint8_t> stack(kStackBytes);
    for (uint32_t slot = 0; slot < kStackBytes; slot += 4) {
      const uint32_t value = slot % 128 == 0 ? kCode + (random() % kFunctions) * kFunctionSize + 0x12 : random();
      for (int b = 0; b < 4; ++b) stack[slot + b] = uint8_t(value >> (8 * b));
    }
    memory.Map(kStack, stack, kPageReadWrite);
  }

  BufferMemorySpace memory;
  testing::SyntheticModules modules;
  CallStackContext context{memory, modules, nullptr, nullptr, {}};
};

void BM_LocateAddress(benchmark::State& state) {
  SyntheticProcess process;
  std::mt19937 random(3);
  std::vector<uint32_t> addresses(4096);
  for (uint32_t& a : addresses) a = kCode + random() % (kFunctions * kFunctionSize);
  TTarvexStackItem item;
  size_t i = 0;
  for (auto _ : state) {
    LocateAddress(process.context, addresses[i++ & 4095], 1, item, false, 1);
    benchmark::DoNotOptimize(item.InfoLevel);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LocateAddress);

void BM_WalkStack100KB(benchmark::State& state) {
  SyntheticProcess process;
  WalkOptions options;
  options.useDebugInfo = state.range(0) != 0;
  for (auto _ : state) {
    TTarvexStackList list;
    WalkStack(process.context, list, 0, kStack, kStack + kStackBytes - 4, options);
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kStackBytes));
}
BENCHMARK(BM_WalkStack100KB)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
