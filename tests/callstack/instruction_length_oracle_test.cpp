// Compares the instruction-length decoder with Capstone over the code sections
// of real i686 modules: Wine's system DLLs and the programs of this project's
// Windows build when that build exists. Both decoders walk each section
// linearly from its start; where they disagree the walk resynchronises on
// Capstone's boundary. Every instruction that both decode must have the same
// length. Where only we decode an instruction (a ModRM form or prefix that
// makes an opcode undefined, which the tables do not model), the kinds are
// listed in the output.
#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "crashreport/callstack/instruction_length.h"
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
  uint64_t onlyCapstone = 0;  // Capstone decodes, we call the opcode invalid

  void Add(const Tally& other) {
    bothDecode += other.bothDecode;
    agree += other.agree;
    different.Add(other.different);
    onlyOurs.Add(other.onlyOurs);
    onlyCapstone += other.onlyCapstone;
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

Tally CompareSection(testsupport::Capstone& capstone, const testsupport::CodeSection& section) {
  Tally tally;
  const uint8_t* code = section.bytes.data();
  const size_t size = section.bytes.size();
  for (size_t at = 0; at < size;) {
    InstructionShape ours;
    const DecodeStatus status = DecodeInstruction(code + at, size - at, ours);
    const cs_insn* decoded = capstone.Decode(code + at, size - at, section.address + at);
    const size_t theirs = decoded ? decoded->size : 0;
    if (status == DecodeStatus::kTruncated) break;  // the section ends inside an instruction
    const bool oursValid = status == DecodeStatus::kValid;
    if (oursValid && theirs) {
      ++tally.bothDecode;
      if (ours.length == theirs) {
        ++tally.agree;
      } else {
        const size_t longer = std::min<size_t>(std::max<size_t>(ours.length, theirs), size - at);
        tally.different.Add(Kind(code + at, ours), HexBytes(code + at, longer));
      }
    } else if (oursValid) {
      tally.onlyOurs.Add(Kind(code + at, ours), HexBytes(code + at, ours.length));
    } else if (theirs) {
      ++tally.onlyCapstone;
    }
    at += theirs ? theirs : 1;
  }
  return tally;
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
    std::printf("%-32s %8llu both decode, %8llu agree (%.4f%%), %llu different\n",
                fs::path(path).filename().string().c_str(), (unsigned long long)module.bothDecode,
                (unsigned long long)module.agree, 100.0 * module.agree / std::max<uint64_t>(module.bothDecode, 1),
                (unsigned long long)module.different.Count());
    total.Add(module);
  }
  ASSERT_GT(modules, 0u) << "no i686 modules found under " << testsupport::kWineDlls;
  std::printf("TOTAL %zu modules: %llu instructions both decode, %llu agree (%.4f%%); "
              "%llu decoded only by us, %llu only by Capstone\n",
              modules, (unsigned long long)total.bothDecode, (unsigned long long)total.agree,
              100.0 * total.agree / std::max<uint64_t>(total.bothDecode, 1),
              (unsigned long long)total.onlyOurs.Count(),
              (unsigned long long)total.onlyCapstone);
  PrintKinds("only ours ", total.onlyOurs);
  PrintKinds("DIFFERENT ", total.different);
  RecordProperty("both_decode", std::to_string(total.bothDecode));
  RecordProperty("agree", std::to_string(total.agree));
  EXPECT_EQ(total.agree, total.bothDecode) << "instructions whose lengths differ are listed above";
}

}  // namespace
