// Every format the tool writes from a real module's DWARF, read back by the
// crash reporter's readers, names the same file, function and line as the
// cross binutils' addr2line (outermost frame) over many addresses.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <map>
#include <sstream>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/callstack/debuginfo/debug_info_jdbg.h"
#include "crashreport/callstack/debuginfo/debug_info_map.h"
#include "crashreport/callstack/debuginfo/embedded_line_table.h"
#include "crashreport/callstack/pe/pe_file.h"
#include "crashreport/base/embedded_data/container.h"
#include "dwarf_lines.h"
#include "debug_commands.h"
#include "file_bytes.h"
#include "jdbg_writer.h"
#include "line_table_writer.h"
#include "map_writer.h"
#include "module_image.h"
#include "tests/support/scratch_path.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvex;
using namespace tarvex::tool;

constexpr size_t kAddressesPerModule = 16000;  // over all code, about a third of it with DWARF
constexpr char kKey[] = "oracle key";

struct Expected {
  std::string file;  // base name
  uint32_t line = 0;
  std::string function;  // scope::name, without parameters or return type
};

// "int ns::C::Add<int>(int, int) const" -> "ns::C::Add<int>";
// "ns::C::Proc(int)@4" (a stdcall symbol) -> "ns::C::Proc"
std::string FunctionOnly(std::string name) {
  if (const size_t at = name.rfind(")@"); at != std::string::npos &&
                                          name.find_first_not_of("0123456789", at + 2) == std::string::npos)
    name.resize(at + 1);
  for (const char* suffix : {" const", " volatile"})
    if (name.size() > strlen(suffix) && name.ends_with(suffix)) name.resize(name.size() - strlen(suffix));
  if (!name.empty() && name.back() == ')') {
    int depth = 0;
    for (size_t i = name.size(); i-- > 0;) {
      depth += name[i] == ')' ? 1 : name[i] == '(' ? -1 : 0;
      if (depth == 0) {
        name.resize(i);
        break;
      }
    }
  }
  // A return type: the text before the last blank outside brackets, unless
  // that blank belongs to an operator name ("operator new", "operator int").
  int depth = 0;
  size_t cut = std::string::npos;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '<' || name[i] == '(') ++depth;
    if (name[i] == '>' || name[i] == ')') --depth;
    if (name[i] == ' ' && depth == 0 && !std::string_view(name).substr(0, i).ends_with("operator")) cut = i;
  }
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

// addr2line's outermost frame for each address.
std::map<uint32_t, Expected> Oracle(const std::string& module, const std::vector<uint32_t>& addresses) {
  const fs::path list = testsupport::ScratchPath("oracle_addresses.txt");
  {
    std::ofstream out(list);
    for (uint32_t address : addresses) out << std::hex << "0x" << address << "\n";
  }
  // c++filt demangles the symbols that addr2line prints.
  const std::string command = std::string(VX_ADDR2LINE) + " -a -f -i -e '" + module + "' < '" + list.string() +
                              "' | " + VX_DEMANGLER;
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::map<uint32_t, Expected> answers;
  char buffer[8192];
  uint32_t current = 0;
  std::string function;
  for (bool nameLine = true; pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe);) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.starts_with("0x")) {
      current = static_cast<uint32_t>(std::stoul(line, nullptr, 16));
      nameLine = true;
      continue;
    }
    if (nameLine) {
      function = line;
    } else {
      const size_t colon = line.rfind(':');
      Expected& expected = answers[current];
      expected.file = fs::path(line.substr(0, colon)).filename().string();
      expected.line = colon == std::string::npos ? 0 : static_cast<uint32_t>(std::atoi(line.c_str() + colon + 1));
      expected.function = FunctionOnly(function);
    }
    nameLine = !nameLine;
  }
  if (pipe != nullptr) pclose(pipe);
  return answers;
}

std::string Joined(const TVXStackLocation& entry) {
  return entry.ClassName.empty() ? entry.ProcedureName : entry.ClassName + "::" + entry.ProcedureName;
}

std::string Normal(std::string name) {
  for (const std::string anonymous : {"(anonymous namespace)", "{anonymous_namespace}"})
    for (size_t at; (at = name.find(anonymous)) != std::string::npos;) name.replace(at, anonymous.size(), "{anonymous}");
  for (size_t at; (at = name.find("[abi:")) != std::string::npos;) name.erase(at, name.find(']', at) + 1 - at);
  // A stdcall symbol's "@<argument bytes>" decoration.
  if (const size_t at = name.rfind('@'); at != std::string::npos && at + 1 < name.size() &&
                                         name.find_first_not_of("0123456789", at + 1) == std::string::npos)
    name.resize(at);
  return name.substr(std::min(name.find_first_not_of('_'), name.size()));
}

// Without template argument lists: the compiler's DWARF names leave out
// default template arguments that the demangled symbol spells out.
std::string WithoutTemplateArguments(const std::string& name) {
  std::string out;
  int depth = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    const bool operatorLess = std::string_view(name).substr(0, i).ends_with("operator");
    if (name[i] == '<' && !operatorLess) ++depth;
    else if (name[i] == '>' && depth > 0) --depth;
    else if (depth == 0) out += name[i];
  }
  return out;
}

// addr2line names a function by its symbol (C functions less the target's
// "_" prefix) or by its short DWARF name: the qualified name ends with it.
bool SameFunction(const std::string& ours, const std::string& oracle) {
  auto matches = [](const std::string& a, const std::string& b) {
    return a == b || (WithoutTemplateArguments(b).find("::") == std::string::npos && a.ends_with("::" + b));
  };
  const std::string a = Normal(ours), b = Normal(oracle);
  if (matches(a, b) || matches(ours, oracle)) return true;
  if (matches(WithoutTemplateArguments(a), WithoutTemplateArguments(b))) return true;
  // A scope longer than a stored name holds is cut: ours is a prefix of it.
  const size_t scopeEnd = a.rfind("::");
  return scopeEnd != std::string::npos && scopeEnd >= 100 && b.starts_with(a.substr(0, scopeEnd)) &&
         b.ends_with(a.substr(scopeEnd));
}

// Lines must agree everywhere. Files and names may differ at a few addresses
// where addr2line (binutils 2.40) is no reference:
//  - in a DWARF 5 line table it names file number 1 as the unit's primary
//    source (entry 0), as if the table repeated the primary file there. GCC 12
//    puts there the first file the unit's code came from, often a header whose
//    function was compiled out of line ("printf" of stdio.h, "__pformat_putc"
//    of mingw_pformat.c included by mingw_pformatw.c): addr2line files those
//    rows under the including source, with the header's line numbers.
//    (Numbers 0 and 2 on it resolves right; llvm-symbolizer agrees with us.)
//  - it spells the scope of a function-local class with the function's
//    parameters.
// And at one spot the formats are no reference: a row from another file with
// no inlined-subroutine record for it (gdtoaimp.h inside the C runtime's
// __gdtoa) is named under the function's own file, which a unit must be.
constexpr double kNamedDifferencesAllowed = 0.005;

struct Mismatches {
  const char* format;
  size_t compared = 0;
  size_t lines = 0;  // different line, or no answer
  size_t named = 0;  // same line, different file or function
  std::vector<std::string> examples = {};

  void Check(uint32_t address, const Expected& expected, bool found, const TVXStackLocation& entry,
             const std::string& expectedName) {
    ++compared;
    // ".pas" is added to a unit name without an extension ("initializer_list").
    const bool sameFile = entry.UnitName == expected.file ||
                          (expected.file.find('.') == std::string::npos && entry.UnitName == expected.file + ".pas");
    if (found && entry.Line == expected.line && sameFile && SameFunction(Joined(entry), expectedName)) return;
    const bool lineDiffers = !found || entry.Line != expected.line;
    ++(lineDiffers ? lines : named);
    if (examples.size() >= (lineDiffers ? 20u : 5u)) return;
    std::ostringstream text;
    text << format << std::hex << " 0x" << address << std::dec << ": expected " << expected.file << ":" << expected.line
         << " " << expectedName << ", got " << (found ? "" : "(nothing) ") << entry.UnitName << ":" << entry.Line << " "
         << Joined(entry);
    examples.push_back(text.str());
  }
};

struct ModuleToCompare {
  std::string path;
  // false: a program whose names addr2line spells or files its own way too
  // often for the allowance (test-framework templates and lambdas; the
  // application's many rows in file number 1), figures printed only
  bool namesChecked;
};

std::vector<ModuleToCompare> ModulesToCompare() {
  std::vector<ModuleToCompare> modules;
  std::stringstream probes(VX_LINE_PROBES);
  for (std::string path; std::getline(probes, path, '|');) modules.push_back({path, true});
  for (const char* program : {"app/ZorvikCalc.exe.debug", "tests/callstack/debuginfo/debug_info_test.exe"}) {
    const fs::path path = fs::path(VX_WIN32_BUILD_DIR) / program;
    if (fs::exists(path)) modules.push_back({path.string(), false});
  }
  return modules;
}

TEST(DebugWriters, EveryFormatAgreesWithAddr2lineOnRealModules) {
  for (const auto& [module, namesChecked] : ModulesToCompare()) {
    SCOPED_TRACE(module);
    const ProgramLines program = ReadDwarfLines(module);
    ASSERT_FALSE(program.functions.empty());
    const std::vector<uint8_t> file = ReadFileBytes(module);
    BufferMemorySpace memory;
    const uint32_t base = MapModuleImage(file, memory);
    ASSERT_EQ(base, program.imageBase);

    // Addresses spread evenly over the code sections, so that code the writers
    // leave out is compared too (addr2line knows it, the formats do not).
    const PeLayout layout = ReadPeLayout(file);
    uint64_t codeBytes = 0;
    for (const PeSection& section : layout.sections)
      if (section.IsCode()) codeBytes += section.virtualSize;
    const uint32_t stride = static_cast<uint32_t>(std::max<uint64_t>(1, codeBytes / kAddressesPerModule));
    std::vector<uint32_t> addresses;
    for (const PeSection& section : layout.sections)
      for (uint32_t offset = stride / 2; section.IsCode() && offset < section.virtualSize; offset += stride)
        addresses.push_back(base + section.virtualAddress + offset);
    const std::map<uint32_t, Expected> oracle = Oracle(module, addresses);

    // The embedded line table, through its debug information block.
    const std::vector<uint8_t> block = MakeDebugInformationBlock(WriteLineTable(program, kTarvexDataVersion, kKey), kKey);
    bool dataValid = false;
    const TVXEmbeddedLineInfo embedded{LineTableOfBlock(block, kKey, dataValid), kTarvexDataVersion, kKey, dataValid, base};
    ASSERT_TRUE(dataValid);

    // The map file beside the module; the JDBG data as the module's section.
    const fs::path folder = testsupport::ScratchPath("writers");
    fs::create_directories(folder);
    WriteFileBytes((folder / "probe.map").string(), WriteMapFile(program));
    TVXDebugInfoMap map(TVXModuleImage{&memory, base, (folder / "probe.exe").string()});
    ASSERT_TRUE(map.IsValid());
    EXPECT_EQ(map.Scanner()->RejectedLines(), 0u);
    BufferMemorySpace withSection;
    MapModuleImage(AddJdbgSection(file, WriteJdbgData(program)), withSection);
    TVXDebugInfoJedy jdbg(TVXModuleImage{&withSection, base, (folder / "absent.exe").string()});
    ASSERT_TRUE(jdbg.IsValid());

    Mismatches embeddedMismatches{"embedded"}, mapMismatches{"map"}, jdbgMismatches{"jdbg"};
    for (const auto& [address, expected] : oracle) {
      // Lambdas: addr2line names them "{lambda(...)#1}" or by a bare "operator()".
      const bool lambda = expected.function.find("{lambda") != std::string::npos || expected.function == "operator";
      // Padding between functions has a line but no function: never a return address.
      if (expected.line == 0 || expected.file == "??" || expected.function == "??" || lambda) continue;
      TVXStackLocation entry;
      const bool found = FindEmbeddedLocation(embedded, memory, address, /*showOwnUnits=*/true, entry);
      embeddedMismatches.Check(address, expected, found, entry, expected.function);

      FunctionLines named;
      named.name = expected.function;
      const std::string mapName = MapName(named);
      auto checkExternal = [&](TVXDebugInfoSource& source, Mismatches& mismatches, const std::string& name) {
        TVXLocationInfo info;
        const bool answered = source.FindLocation(address, info);
        mismatches.Check(address, expected, answered && !info.QualifiedName.empty(), StackLocationFromExternal(info, true),
                         name);
      };
      checkExternal(map, mapMismatches, mapName);
      checkExternal(jdbg, jdbgMismatches, expected.function);
    }
    for (const Mismatches* m : {&embeddedMismatches, &mapMismatches, &jdbgMismatches}) {
      std::printf("%s %s: %zu addresses, %zu with another line, %zu with another file or name\n",
                  fs::path(module).filename().c_str(), m->format, m->compared, m->lines, m->named);
      for (const std::string& example : m->examples) std::printf("  %s\n", example.c_str());
      EXPECT_EQ(m->lines, 0u) << m->format;
      if (namesChecked) {
        EXPECT_LE(m->named, m->compared * kNamedDifferencesAllowed) << m->format;
      }
      EXPECT_GT(m->compared, addresses.size() / 5) << m->format;
      RecordProperty(std::string(m->format) + "_compared_" + fs::path(module).filename().string(), std::to_string(m->compared));
    }
  }
}

}  // namespace

namespace {

// Runs `tarvex locate` and returns what it prints.
std::string Locate(const tarvex::tool::Arguments& args) {
  testing::internal::CaptureStdout();
  int status = 0;
  try {
    status = tarvex::tool::LocateCommand(args);
  } catch (...) {
    testing::internal::GetCapturedStdout();
    throw;
  }
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 0);
  return out;
}

TEST(LocateCommand, NamesAddressesFromTheAppendedLineTableOrAMapFile) {
  const std::string probe = ModulesToCompare().front().path;
  const ProgramLines program = ReadDwarfLines(probe);
  const auto twice = std::find_if(program.functions.begin(), program.functions.end(),
                                  [](const FunctionLines& f) { return f.name == "Twice"; });
  ASSERT_NE(twice, program.functions.end());
  const LineRow row = twice->rows.at(1);
  char rva[16], address[16];
  std::snprintf(rva, sizeof rva, "%x", 0x1000 + row.offset);
  std::snprintf(address, sizeof address, "0x%X", program.imageBase + 0x1000 + row.offset);
  const std::string expected = " - line_probe.cpp - shapes::Calc - Twice - " + std::to_string(row.line) + "[";

  const fs::path folder = testsupport::ScratchPath("locate");
  fs::create_directories(folder);
  const std::string withMap = (folder / "probe.exe").string();
  fs::copy_file(probe, withMap, fs::copy_options::overwrite_existing);
  ASSERT_EQ(MapCommand({probe, (folder / "probe.map").string()}), 0);
  EXPECT_NE(Locate({withMap, address}).find(expected), std::string::npos);

  // The container appended to the module, holding the line table under a key.
  EmbeddedData data;
  const std::string appended = (folder / "embedded.exe").string();
  WriteFileBytes(appended, AppendContainer(ReadFileBytes(probe), WriteContainer(data)));
  ASSERT_EQ(LineInfoCommand({appended, appended, "--key", "k1", "--append"}), 0);
  EXPECT_NE(Locate({appended, "--key", "k1", address}).find(expected), std::string::npos);
  const std::string two = Locate({appended, "--key", "k1", "--rva", rva, rva});
  EXPECT_EQ(std::count(two.begin(), two.end(), '\n'), 2);
  EXPECT_NE(two.rfind(expected), two.find(expected));
  // A wrong key still finds the line, with the names shown as stored bytes.
  const std::string wrongKey = Locate({appended, "--key", "k2", address});
  EXPECT_NE(wrongKey.find(" - ?"), std::string::npos);
  EXPECT_NE(wrongKey.find(" - " + std::to_string(row.line) + "["), std::string::npos);
  EXPECT_THROW(Locate({appended, "12x"}), std::runtime_error);
}

// The shipped calculator carries its line table under the key it exports: a
// user with only the program and a report reads plain names without --key.
TEST(LocateCommand, UsesTheKeyTheModuleExportsWhenNoneIsGiven) {
  const fs::path shipped = fs::path(VX_WIN32_BUILD_DIR) / "app/ZorvikCalc.exe";
  if (!fs::exists(shipped)) GTEST_SKIP() << "no Windows build beside this one";
  const ProgramLines program = ReadDwarfLines(shipped.string() + ".debug");
  const auto convert = std::find_if(program.functions.begin(), program.functions.end(), [](const FunctionLines& f) {
    return f.name == "ShapeToPackage" && f.rows.size() > 1;
  });
  ASSERT_NE(convert, program.functions.end());
  char address[16];
  std::snprintf(address, sizeof address, "%x", program.imageBase + 0x1000 + convert->rows.at(1).offset);

  EXPECT_NE(Locate({shipped.string(), address}).find(" - ShapeToPackage - "), std::string::npos);
  EXPECT_EQ(Locate({shipped.string(), "--key", "not the key", address}).find(" - ShapeToPackage - "), std::string::npos);
}

}  // namespace
