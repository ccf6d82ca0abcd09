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
#include "tests/callstack/pe_code_sections.h"

namespace {

using namespace tarvex;
namespace fs = std::filesystem;

const char* const kWineDlls = "/usr/lib/i386-linux-gnu/wine/i386-windows";

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

std::string HexBytes(const uint8_t* code, size_t size) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", code[i]);
    text += byte;
  }
  return text;
}

// The opcode bytes without prefixes, e.g. "0F 38 F1".
std::string Kind(const uint8_t* code, const InstructionShape& shape) {
  return HexBytes(code + shape.prefixCount, shape.opcodeLength);
}

void PrintKinds(const char* title, const Kinds& kinds) {
  for (const auto& [kind, entry] : kinds.byKind)
    std::printf("  %s %-10s %7llu  e.g. %s\n", title, kind.c_str(), (unsigned long long)entry.count,
                entry.example.c_str());
}

class Capstone {
 public:
  Capstone() {
    if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle_) != CS_ERR_OK) throw std::runtime_error("cs_open failed");
    insn_ = cs_malloc(handle_);
  }
  ~Capstone() {
    cs_free(insn_, 1);
    cs_close(&handle_);
  }
  // Length of the instruction at `code`, 0 when Capstone cannot decode it.
  size_t Length(const uint8_t* code, size_t size, uint64_t address) {
    const uint8_t* at = code;
    return cs_disasm_iter(handle_, &at, &size, &address, insn_) ? insn_->size : 0;
  }

 private:
  csh handle_ = 0;
  cs_insn* insn_ = nullptr;
};

Tally CompareSection(Capstone& capstone, const testsupport::CodeSection& section) {
  Tally tally;
  const uint8_t* code = section.bytes.data();
  const size_t size = section.bytes.size();
  for (size_t at = 0; at < size;) {
    InstructionShape ours;
    const DecodeStatus status = DecodeInstruction(code + at, size - at, ours);
    const size_t theirs = capstone.Length(code + at, size - at, section.address + at);
    if (status == DecodeStatus::kTruncated) break;  // the section ends inside an instruction
    const bool oursValid = status == DecodeStatus::kValid;
    if (oursValid && theirs) {
      ++tally.bothDecode;
      const std::string example = HexBytes(code + at, std::min<size_t>(std::max<size_t>(ours.length, theirs), size - at));
      if (ours.length == theirs) {
        ++tally.agree;
      } else {
        tally.different.Add(Kind(code + at, ours), example);
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

std::vector<std::string> ModulePaths() {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kWineDlls, error))
    if (entry.path().extension() == ".dll") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  // Programs of the Windows build (tests and the application), when built.
  if (fs::is_directory(VX_WIN32_BUILD_DIR, error)) {
    for (const auto& entry : fs::recursive_directory_iterator(VX_WIN32_BUILD_DIR, error))
      if (entry.is_regular_file() && entry.path().extension() == ".exe" &&
          entry.path().string().find("/CMakeFiles/") == std::string::npos)
        paths.push_back(entry.path().string());
  }
  return paths;
}

TEST(InstructionLengthOracle, AgreesWithCapstoneOnRealModules) {
  Capstone capstone;
  Tally total;
  size_t modules = 0;
  for (const std::string& path : ModulePaths()) {
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
  ASSERT_GT(modules, 0u) << "no i686 modules found under " << kWineDlls;
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
