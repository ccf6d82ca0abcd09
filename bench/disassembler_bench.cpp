// Instructions per second of the disassembler and of Capstone, side by side,
// on the same real code: the text section of Wine's ntdll (i686). Both walk
// the section linearly and produce the text of every instruction.
#include <benchmark/benchmark.h>
#include <capstone/capstone.h>

#include <string>

#include "crashreport/callstack/disasm/disassembler.h"
#include "tests/callstack/pe_code_sections.h"

namespace {

using namespace tarvex;

const testsupport::CodeSection& Code() {
  static const testsupport::CodeSection code =
      testsupport::ReadCodeSections("/usr/lib/i386-linux-gnu/wine/i386-windows/ntdll.dll").at(0);
  return code;
}

void Ours(benchmark::State& state) {
  const testsupport::CodeSection& code = Code();
  TDisAsm disasm;
  std::string text;
  uint64_t instructions = 0;
  for (auto _ : state) {
    std::span<const uint8_t> rest(code.bytes);
    uint32_t address = code.address;
    while (!rest.empty()) {
      uint32_t length = 0;
      Disassemble(disasm, rest, address, length, text);
      benchmark::DoNotOptimize(text.data());
      rest = rest.subspan(length);
      address += length;
      ++instructions;
    }
  }
  state.counters["instructions/s"] = benchmark::Counter(double(instructions), benchmark::Counter::kIsRate);
}

void Capstone(benchmark::State& state) {
  const testsupport::CodeSection& code = Code();
  csh handle = 0;
  if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle) != CS_ERR_OK) return state.SkipWithError("cs_open failed");
  cs_insn* insn = cs_malloc(handle);
  uint64_t instructions = 0;
  for (auto _ : state) {
    const uint8_t* at = code.bytes.data();
    size_t size = code.bytes.size();
    uint64_t address = code.address;
    while (size > 0) {
      if (cs_disasm_iter(handle, &at, &size, &address, insn)) {
        benchmark::DoNotOptimize(insn->op_str);
      } else {  // skip an undecodable byte, as the listing does
        ++at, --size, ++address;
      }
      ++instructions;
    }
  }
  cs_free(insn, 1);
  cs_close(&handle);
  state.counters["instructions/s"] = benchmark::Counter(double(instructions), benchmark::Counter::kIsRate);
}

BENCHMARK(Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(Capstone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
