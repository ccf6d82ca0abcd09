// Instruction boundaries over the code of a real i686 module: our length
// decoder against a full disassembler (Capstone) walking the same bytes.
#include <benchmark/benchmark.h>
#include <capstone/capstone.h>

#include "crashreport/callstack/disasm/instruction_length.h"
#include "tests/callstack/pe_code_sections.h"

namespace {

const std::vector<uint8_t>& ModuleCode() {
  static const std::vector<uint8_t> code = [] {
    std::vector<uint8_t> all;
    for (const auto& section :
         tarvex::testsupport::ReadCodeSections("/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll"))
      all.insert(all.end(), section.bytes.begin(), section.bytes.end());
    return all;
  }();
  return code;
}

void DecodeLengths(benchmark::State& state) {
  const std::vector<uint8_t>& code = ModuleCode();
  size_t instructions = 0;
  for (auto _ : state) {
    for (size_t at = 0; at < code.size(); ++instructions) {
      tarvex::InstructionShape shape;
      const auto status = tarvex::DecodeInstruction(code.data() + at, code.size() - at, shape);
      if (status == tarvex::DecodeStatus::kTruncated) break;
      at += status == tarvex::DecodeStatus::kValid ? shape.length : 1;
    }
  }
  state.SetItemsProcessed(int64_t(instructions));
  state.SetBytesProcessed(int64_t(state.iterations() * code.size()));
}
BENCHMARK(DecodeLengths);

void CapstoneLengths(benchmark::State& state) {
  const std::vector<uint8_t>& code = ModuleCode();
  csh handle;
  if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle) != CS_ERR_OK) {
    state.SkipWithError("cs_open failed");
    return;
  }
  cs_insn* insn = cs_malloc(handle);
  size_t instructions = 0;
  for (auto _ : state) {
    for (size_t at = 0; at < code.size(); ++instructions) {
      const uint8_t* next = code.data() + at;
      size_t size = code.size() - at;
      uint64_t address = at;
      at += cs_disasm_iter(handle, &next, &size, &address, insn) ? insn->size : 1;
    }
  }
  cs_free(insn, 1);
  cs_close(&handle);
  state.SetItemsProcessed(int64_t(instructions));
  state.SetBytesProcessed(int64_t(state.iterations() * code.size()));
}
BENCHMARK(CapstoneLengths);

}  // namespace

BENCHMARK_MAIN();
