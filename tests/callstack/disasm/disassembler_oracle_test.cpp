// Compares the disassembler with Capstone and with the instruction-length
// decoder over the code sections of real i686 modules: Wine's system DLLs and
// the programs of this project's Windows build when that build exists. Each
// section is walked linearly on Capstone's instruction boundaries.
//
// Lengths: every instruction that all three decode must have one length.
// Mnemonics: ours and Capstone's agree modulo notation (Normalised below).
// The agreement rates and every kind of disagreement are printed, as are the
// instructions that only Capstone decodes.
#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "crashreport/callstack/disasm/disassembler.h"
#include "crashreport/callstack/disasm/instruction_length.h"
#include "tests/callstack/oracle_support.h"
#include "tests/callstack/pe_code_sections.h"

namespace {

using namespace tarvex;
using testsupport::HexBytes;

// Our names (the opcode map's) → Capstone's, where only the notation differs.
const std::map<std::string, std::string, std::less<>> kNotation = {
    {"pushad", "pushal"}, {"popad", "popal"}, {"xlat", "xlatb"},
    {"call far", "lcall"}, {"jmp far", "ljmp"},  // far forms: "call far [eax]", "call $001B:$00401000"
};
// Condition suffixes of jcc, setcc and cmovcc that Capstone names differently.
const std::map<std::string, std::string, std::less<>> kConditions = {
    {"z", "e"}, {"nz", "ne"}, {"nb", "ae"}, {"nbe", "a"}, {"nl", "ge"}, {"nle", "g"},
};

// Our mnemonic in Capstone's notation. A repeat prefix on an instruction that
// does not repeat is written by us and dropped by Capstone.
std::string Normalised(std::string mnemonic, std::string_view theirs) {
  if (!theirs.starts_with("rep")) {
    for (std::string_view prefix : {"rep ", "repne "})
      if (mnemonic.starts_with(prefix)) mnemonic.erase(0, prefix.size());
  }
  for (std::string_view stem : {"j", "set", "cmov"}) {
    if (!mnemonic.starts_with(stem)) continue;
    const auto condition = kConditions.find(std::string_view(mnemonic).substr(stem.size()));
    if (condition != kConditions.end()) return std::string(stem) + condition->second;
  }
  // Capstone names a compare by its predicate (cmpeqps for cmpps with 0, ...).
  for (std::string_view compare : {"cmpps", "cmpss", "cmppd", "cmpsd"}) {
    if (mnemonic != compare) continue;
    for (std::string_view predicate : {"eq", "lt", "le", "unord", "neq", "nlt", "nle", "ord"})
      if (theirs == std::string("cmp").append(predicate).append(compare.substr(3))) return std::string(theirs);
  }
  const auto renamed = kNotation.find(mnemonic);
  return renamed == kNotation.end() ? mnemonic : renamed->second;
}

// The mnemonic of one of our lines: prefixes ("rep", "lock") and the
// instruction's name; for a line in data form, the decoded form's name.
// Empty for an undefined opcode.
std::string OurMnemonic(std::string_view text) {
  if (text.starts_with("DB ")) {
    const size_t comment = text.find("  //");
    if (comment == std::string_view::npos) return {};
    text.remove_prefix(comment + 4);
    // Three-byte opcodes (0F 38, 0F 3A) are shown as their bytes, not named.
    if (text.starts_with("0F ")) return {};
  }
  std::string mnemonic;
  while (!text.empty()) {
    const size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    if (!mnemonic.empty()) mnemonic += ' ';
    mnemonic += word;
    text.remove_prefix(end);
    while (text.starts_with(' ')) text.remove_prefix(1);
    const bool prefix = word == "rep" || word == "repne" || word == "lock";
    const bool far = (word == "call" || word == "jmp") &&
                     (text.starts_with("far ") || (text.size() > 6 && text[0] == '$' && text[5] == ':'));
    if (far) return mnemonic + " far";
    if (!prefix) break;
  }
  return mnemonic;
}

// Disagreements of one kind, with a count and the first example.
struct Kinds {
  struct Entry {
    uint64_t count = 0;
    std::string example;
  };
  std::map<std::string, Entry> byKind;

  void Add(const std::string& kind, const std::string& example) {
    Entry& entry = byKind[kind];
    if (entry.count++ == 0) entry.example = example;
  }
  void Print(const char* title) const {
    std::vector<std::pair<std::string, Entry>> sorted(byKind.begin(), byKind.end());
    std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.second.count > b.second.count; });
    for (const auto& [kind, entry] : sorted)
      std::printf("  %s %-28s %8llu  e.g. %s\n", title, kind.c_str(), (unsigned long long)entry.count,
                  entry.example.c_str());
  }
};

struct Tally {
  uint64_t instructions = 0;   // Capstone's instructions
  uint64_t allDecode = 0;      // ... that we and the length decoder decode as well
  uint64_t lengthsAgree = 0;
  uint64_t mnemonicsAgree = 0;
  Kinds lengths, mnemonics;
  Kinds undecoded;             // Capstone decodes, we or the length decoder do not
};

void CompareSection(testsupport::Capstone& capstone, const testsupport::CodeSection& section, Tally& tally) {
  TDisAsm disasm;
  std::string text;
  const uint8_t* code = section.bytes.data();
  const size_t size = section.bytes.size();
  for (size_t at = 0; at < size;) {
    const cs_insn* theirs = capstone.Decode(code + at, size - at, section.address + at);
    if (theirs == nullptr || testsupport::CapstoneMisdecodes(code + at, size - at)) {
      at += theirs != nullptr ? theirs->size : 1;
      continue;
    }
    ++tally.instructions;
    uint32_t length = 0;
    Disassemble(disasm, std::span(code + at, size - at), section.address + at, length, text);
    InstructionShape shape;
    const std::string mnemonic = OurMnemonic(text);
    const bool lengthDecoded = DecodeInstruction(code + at, size - at, shape) == DecodeStatus::kValid;
    if (mnemonic.empty() || !lengthDecoded) {
      tally.undecoded.Add(std::string(theirs->mnemonic) + (mnemonic.empty() ? " (not by us)" : " (not by the length decoder)"),
                          HexBytes(code + at, theirs->size) + ": " + text);
    } else {
      ++tally.allDecode;
      const std::string bytes = HexBytes(code + at, std::max<size_t>({length, theirs->size, shape.length}));
      if (length == theirs->size && length == shape.length)
        ++tally.lengthsAgree;
      else
        tally.lengths.Add(mnemonic + " / " + theirs->mnemonic, bytes + ": " + text);
      if (Normalised(mnemonic, theirs->mnemonic) == theirs->mnemonic)
        ++tally.mnemonicsAgree;
      else
        tally.mnemonics.Add(mnemonic + " / " + theirs->mnemonic, bytes + ": " + text);
    }
    at += theirs->size;
  }
}

double Percent(uint64_t part, uint64_t whole) { return 100.0 * part / std::max<uint64_t>(whole, 1); }

TEST(DisassemblerOracle, AgreesWithCapstoneAndTheLengthDecoder) {
  testsupport::Capstone capstone;
  Tally tally;
  size_t modules = 0;
  for (const std::string& path : testsupport::OracleModulePaths()) {
    for (const auto& section : testsupport::ReadCodeSections(path)) CompareSection(capstone, section, tally);
    ++modules;
  }
  ASSERT_GT(modules, 0u) << "no i686 modules found under " << testsupport::kWineDlls;
  std::printf("%zu modules, %llu instructions; all three decode %llu (%.4f%%)\n", modules,
              (unsigned long long)tally.instructions, (unsigned long long)tally.allDecode,
              Percent(tally.allDecode, tally.instructions));
  std::printf("lengths agree:   %llu (%.4f%%)\n", (unsigned long long)tally.lengthsAgree,
              Percent(tally.lengthsAgree, tally.allDecode));
  std::printf("mnemonics agree: %llu (%.4f%%)\n", (unsigned long long)tally.mnemonicsAgree,
              Percent(tally.mnemonicsAgree, tally.allDecode));
  tally.lengths.Print("LENGTH  ");
  tally.mnemonics.Print("mnemonic");
  tally.undecoded.Print("only Capstone");
  RecordProperty("all_decode", std::to_string(tally.allDecode));
  RecordProperty("lengths_agree", std::to_string(tally.lengthsAgree));
  RecordProperty("mnemonics_agree", std::to_string(tally.mnemonicsAgree));
  EXPECT_EQ(tally.lengthsAgree, tally.allDecode) << "instructions whose lengths differ are listed above";
  EXPECT_EQ(tally.mnemonicsAgree, tally.allDecode) << "instructions whose mnemonics differ are listed above";
}

}  // namespace
