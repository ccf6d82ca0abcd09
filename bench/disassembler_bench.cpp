// Instructions per second of the disassembler, of Capstone and of Zydis
// (Intel syntax), side by side, on the same real code: the text section of
// Wine's ntdll (i686). Each walks the section linearly and produces the text
// of every instruction.
#include <benchmark/benchmark.h>
#include <Zydis/Zydis.h>
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

void Zydis(benchmark::State& state) {
  const testsupport::CodeSection& code = Code();
  ZydisDecoder decoder;
  ZydisFormatter formatter;
  if (ZYAN_FAILED(ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32)) ||
      ZYAN_FAILED(ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL)))
    return state.SkipWithError("Zydis cannot be set up");
  ZydisDecodedInstruction instruction;
  ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
  char text[256];
  uint64_t instructions = 0;
  for (auto _ : state) {
    size_t at = 0;
    while (at < code.bytes.size()) {
      const uint64_t address = code.address + at;
      if (ZYAN_SUCCESS(ZydisDecoderDecodeFull(&decoder, code.bytes.data() + at, code.bytes.size() - at, &instruction,
                                              operands))) {
        ZydisFormatterFormatInstruction(&formatter, &instruction, operands, instruction.operand_count_visible, text,
                                        sizeof text, address, nullptr);
        benchmark::DoNotOptimize(text);
        at += instruction.length;
      } else {  // skip an undecodable byte, as the listing does
        ++at;
      }
      ++instructions;
    }
  }
  state.counters["instructions/s"] = benchmark::Counter(double(instructions), benchmark::Counter::kIsRate);
}

BENCHMARK(Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(Capstone)->Unit(benchmark::kMillisecond);
BENCHMARK(Zydis)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
