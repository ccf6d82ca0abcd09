// Compares the instruction-length decoder with Capstone over the code sections
// of real i686 modules: Wine's system DLLs and the programs of this project's
// Windows build when that build exists. Both decoders walk each section
// linearly from its start; where they disagree the walk resynchronises on
// Capstone's boundary. Every instruction that both decode must have the same
// length. Where only we decode an instruction (a ModRM form or prefix that
// makes an opcode undefined, which the tables do not model), the kinds are
// listed in the output. A second test checks the lengths against the cross
// binutils' objdump at every instruction it prints.
#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "crashreport/callstack/disasm/instruction_length.h"
#include "tests/callstack/oracle_support.h"
#include "tests/callstack/pe_code_sections.h"

namespace {

using namespace tarvex;
using testsupport::HexBytes;
namespace fs = std::filesystem;

// Instructions of one kind (opcode map and opcode) with one example.
struct Kinds {
  struct Entry {
    uint64_t count = 0;
    std::string example;
  };
  std::map<std::string, Entry> byKind;

  void Add(const std::string& kind, const std::string& example, uint64_t count = 1) {
    Entry& entry = byKind[kind];
    if (entry.count == 0) entry.example = example;
    entry.count += count;
  }
  void Add(const Kinds& other) {
    for (const auto& [kind, entry] : other.byKind) Add(kind, entry.example, entry.count);
  }
  uint64_t Count() const {
    uint64_t count = 0;
    for (const auto& [kind, entry] : byKind) count += entry.count;
    return count;
  }
};

struct Tally {
  uint64_t bothDecode = 0;
  uint64_t agree = 0;
  Kinds different;     // both decode, lengths differ
  Kinds onlyOurs;      // we decode, Capstone does not
  uint64_t onlyTheirs = 0;  // the reference decodes, we call the opcode invalid
  uint64_t waitFolded = 0;  // objdump: WAIT printed together with the x87 instruction after it

  void Add(const Tally& other) {
    bothDecode += other.bothDecode;
    agree += other.agree;
    different.Add(other.different);
    onlyOurs.Add(other.onlyOurs);
    onlyTheirs += other.onlyTheirs;
    waitFolded += other.waitFolded;
  }
};

// The opcode bytes without prefixes, e.g. "0F 38 F1".
std::string Kind(const uint8_t* code, const InstructionShape& shape) {
  return HexBytes(code + shape.prefixCount, shape.opcodeLength);
}

void PrintKinds(const char* title, const Kinds& kinds) {
  for (const auto& [kind, entry] : kinds.byKind)
    std::printf("  %s %-10s %7llu  e.g. %s\n", title, kind.c_str(), (unsigned long long)entry.count,
                entry.example.c_str());
}

// Files one instruction that starts at `code`; `theirs` is the reference's
// length, 0 when the reference cannot decode it.
void Classify(Tally& tally, const uint8_t* code, size_t available, DecodeStatus status,
              const InstructionShape& ours, size_t theirs) {
  const bool oursValid = status == DecodeStatus::kValid;
  if (oursValid && theirs) {
    ++tally.bothDecode;
    if (ours.length == theirs) {
      ++tally.agree;
    } else {
      const size_t longer = std::min<size_t>(std::max<size_t>(ours.length, theirs), available);
      tally.different.Add(Kind(code, ours), HexBytes(code, longer));
    }
  } else if (oursValid) {
    tally.onlyOurs.Add(Kind(code, ours), HexBytes(code, ours.length));
  } else if (theirs) {
    ++tally.onlyTheirs;
  }
}

Tally CompareSection(testsupport::Capstone& capstone, const testsupport::CodeSection& section) {
  Tally tally;
  const uint8_t* code = section.bytes.data();
  const size_t size = section.bytes.size();
  for (size_t at = 0; at < size;) {
    InstructionShape ours;
    const DecodeStatus status = DecodeInstruction(code + at, size - at, ours);
    if (status == DecodeStatus::kTruncated) break;  // the section ends inside an instruction
    const cs_insn* decoded = capstone.Decode(code + at, size - at, section.address + at);
    const size_t theirs = decoded ? decoded->size : 0;
    if (!testsupport::CapstoneMisdecodes(code + at, size - at)) Classify(tally, code + at, size - at, status, ours, theirs);
    at += theirs ? theirs : 1;
  }
  return tally;
}

// One instruction line of the cross binutils' objdump: its address and length
// (0 for "(bad)" and ".byte").
struct ObjdumpInstruction {
  uint32_t address;
  size_t length;
};

// Whether objdump's text after the bytes is a prefix alone ("\tlock\n", "\tfs\n", ...).
bool PrefixAlone(const char* tab) {
  for (const char* prefix : {"\tlock\n", "\trep\n", "\trepz\n", "\trepnz\n", "\tdata16\n", "\taddr16\n", "\tcs\n",
                             "\tds\n", "\tes\n", "\tfs\n", "\tgs\n", "\tss\n"})
    if (std::strcmp(tab, prefix) == 0) return true;
  return false;
}

std::vector<ObjdumpInstruction> ObjdumpInstructions(const std::string& path) {
  std::vector<ObjdumpInstruction> instructions;
  const std::string command = "i686-w64-mingw32-objdump -d --insn-width=16 '" + path + "'";
  FILE* out = popen(command.c_str(), "r");
  if (!out) return instructions;
  char* line = nullptr;
  size_t capacity = 0;
  //   "7b601009:\t83 ec 0c       \tsub    $0xc,%esp"
  while (getline(&line, &capacity, out) > 0) {
    unsigned address;
    int consumed = 0;
    if (std::sscanf(line, " %x:\t%n", &address, &consumed) != 1 || consumed == 0) continue;
    const char* bytes = line + consumed;
    const char* tab = std::strchr(bytes, '\t');
    if (!tab) continue;
    size_t length = 0;
    for (const char* c = bytes; c + 1 < tab; ++c)
      if (std::isxdigit(static_cast<unsigned char>(c[0])) && std::isxdigit(static_cast<unsigned char>(c[1]))) {
        ++length;
        ++c;
      }
    // ".byte" marks an instruction objdump could not finish: the bytes after
    // it are a run of zeros it elides ("...") or the section's end. C++
    // exception tables (.gcc_except_table) lie in .text and end that way.
    // A prefix printed alone is the same: objdump could not finish what it prefixes
    // (data among the code, such as a table of constructors, decoded by chance,
    // or cut short by the symbol that follows).
    const bool undecoded = std::strstr(tab, "(bad)") || std::strstr(tab, ".byte") || PrefixAlone(tab);
    instructions.push_back({address, undecoded ? 0 : length});
  }
  std::free(line);
  pclose(out);
  return instructions;
}

Tally CompareWithObjdump(const std::string& path) {
  Tally tally;
  const std::vector<ObjdumpInstruction> instructions = ObjdumpInstructions(path);
  for (const auto& section : testsupport::ReadCodeSections(path)) {
    const uint8_t* code = section.bytes.data();
    const size_t size = section.bytes.size();
    for (const ObjdumpInstruction& instruction : instructions) {
      const size_t at = instruction.address - section.address;
      if (instruction.address < section.address || at >= size) continue;
      InstructionShape ours, next;
      const DecodeStatus status = DecodeInstruction(code + at, size - at, ours);
      if (status == DecodeStatus::kTruncated) continue;
      // objdump prints WAIT (9B) and the x87 instruction after it as one
      // (fstsw, fstcw, finit, ...); the processor runs them as two.
      const bool folded = status == DecodeStatus::kValid && ours.length == 1 && ours.opcode == 0x9B &&
                          instruction.length > 1 &&
                          DecodeInstruction(code + at + 1, size - at - 1, next) == DecodeStatus::kValid &&
                          1u + next.length == instruction.length;
      if (folded) {
        ++tally.bothDecode;
        ++tally.agree;
        ++tally.waitFolded;
        continue;
      }
      Classify(tally, code + at, size - at, status, ours, instruction.length);
    }
  }
  return tally;
}

void PrintModule(const std::string& path, const Tally& module) {
  std::printf("%-32s %8llu both decode, %8llu agree (%.4f%%), %llu different\n",
              fs::path(path).filename().string().c_str(), (unsigned long long)module.bothDecode,
              (unsigned long long)module.agree, 100.0 * module.agree / std::max<uint64_t>(module.bothDecode, 1),
              (unsigned long long)module.different.Count());
}

void CheckTotal(const char* reference, size_t modules, const Tally& total) {
  ASSERT_GT(modules, 0u) << "no i686 modules found under " << testsupport::kWineDlls;
  ASSERT_GT(total.bothDecode, 0u);
  std::printf("TOTAL against %s, %zu modules: %llu instructions both decode, %llu agree (%.4f%%); "
              "%llu decoded only by us, %llu only by %s\n",
              reference, modules, (unsigned long long)total.bothDecode, (unsigned long long)total.agree,
              100.0 * total.agree / std::max<uint64_t>(total.bothDecode, 1),
              (unsigned long long)total.onlyOurs.Count(), (unsigned long long)total.onlyTheirs, reference);
  PrintKinds("only ours ", total.onlyOurs);
  PrintKinds("DIFFERENT ", total.different);
  testing::Test::RecordProperty("both_decode", std::to_string(total.bothDecode));
  testing::Test::RecordProperty("agree", std::to_string(total.agree));
  EXPECT_EQ(total.agree, total.bothDecode) << "instructions whose lengths differ are listed above";
}

TEST(InstructionLengthOracle, AgreesWithCapstoneOnRealModules) {
  testsupport::Capstone capstone;
  Tally total;
  size_t modules = 0;
  for (const std::string& path : testsupport::OracleModulePaths()) {
    if (!fs::exists(path)) continue;
    Tally module;
    for (const auto& section : testsupport::ReadCodeSections(path)) module.Add(CompareSection(capstone, section));
    ++modules;
    PrintModule(path, module);
    total.Add(module);
  }
  CheckTotal("Capstone", modules, total);
}

// A second, independent reference: at every instruction objdump prints (it
// restarts at each symbol) our length must be objdump's. Over a few system
// DLLs and the programs of the Windows build that are not tests.
TEST(InstructionLengthOracle, AgreesWithObjdumpOnRealModules) {
  std::vector<std::string> paths;
  for (const char* dll : {"ntdll.dll", "kernelbase.dll", "kernel32.dll", "user32.dll", "msvcrt.dll", "d3dx9_43.dll"})
    paths.push_back(std::string(testsupport::kWineDlls) + "/" + dll);
  for (const std::string& path : testsupport::OracleModulePaths())
    if (fs::path(path).extension() == ".exe" && !path.ends_with("_test.exe")) paths.push_back(path);
  Tally total;
  size_t modules = 0;
  for (const std::string& path : paths) {
    if (!fs::exists(path)) continue;
    const Tally module = CompareWithObjdump(path);
    ++modules;
    PrintModule(path, module);
    total.Add(module);
  }
  std::printf("WAIT with the x87 instruction after it, printed as one by objdump: %llu\n",
              (unsigned long long)total.waitFolded);
  CheckTotal("objdump", modules, total);
}

}  // namespace
