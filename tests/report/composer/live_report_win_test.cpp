// The bug reports crashlab.exe prints for real failures: traced from the
// live process, composed, and checked against what the build and the
// handler know (the source lines, the program file's bytes, the context).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "crashreport/callstack/disasm/disassembler.h"
#include "crashreport/callstack/pe/pe_file.h"
#include "crashreport/base/options/options.h"
#include "crashreport/pipeline/services/live_facts_win.h"
#include "crashreport/pipeline/services/live_report_builder_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/hex_bytes.h"

namespace {

using tarvex::testing::LinesStartingWith;

constexpr const char* kBegin = "----- BEGIN BUG REPORT -----\n";
constexpr const char* kEnd = "----- END BUG REPORT -----\n";

// One run of the crash lab: the handler's line and the report it printed.
struct LabReport {
  std::string output;
  std::string className, message, threadID, address, eip, esp;  // the HANDLED line
  std::vector<std::string> lines;                               // the report, line ends cut
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
    parts.push_back(text.substr(from, at - from));
  parts.push_back(text.substr(from));
  return parts;
}

LabReport RunLab(const std::string& kind) {
  LabReport lab;
  lab.output = tarvex::testing::RunChild(CRASHLAB_EXE, kind).output;
  const std::vector<std::string> handled = LinesStartingWith(lab.output, "HANDLED|");
  if (handled.size() == 1) {
    const std::vector<std::string> fields = Split(handled[0], '|');
    if (fields.size() >= 6) {
      lab.className = fields[0], lab.message = fields[1], lab.threadID = fields[2], lab.address = fields[3];
      lab.eip = fields[fields.size() - 2], lab.esp = fields.back();
    }
  }
  const size_t begin = lab.output.find(kBegin), end = lab.output.find(kEnd);
  if (begin != std::string::npos && end != std::string::npos && end > begin) {
    const std::string report = lab.output.substr(begin + std::strlen(kBegin), end - begin - std::strlen(kBegin));
    for (std::string& line : Split(report, '\n')) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lab.lines.push_back(line);
    }
  }
  return lab;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The trimmed cells of a table row "|a|b|".
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells = Split(row, '|');
  if (cells.size() < 2) return {};
  cells.erase(cells.begin());
  cells.pop_back();
  for (std::string& cell : cells) cell = Trim(cell);
  return cells;
}

// The rows of the table under `caption`, from its first row on (the header and its dash lines skipped).
std::vector<std::string> TableRows(const LabReport& lab, const std::string& caption) {
  std::vector<std::string> rows;
  for (size_t i = 0; i < lab.lines.size(); ++i) {
    if (lab.lines[i] != caption + ":") continue;
    for (size_t row = i + 4; row < lab.lines.size() && lab.lines[row].starts_with("|"); ++row)
      rows.push_back(lab.lines[row]);
  }
  return rows;
}

// The exception block of the call stack: its thread line and its entry rows.
struct StackBlock {
  std::string threadLine;
  std::vector<std::vector<std::string>> entries;  // Address, Module, Unit, Class, Procedure, Line
};

StackBlock ExceptionBlock(const LabReport& lab) {
  StackBlock block;
  const std::vector<std::string> rows = TableRows(lab, "Call Stack Information");
  if (rows.size() < 2) return block;
  block.threadLine = Cells(rows[0]).at(0);
  for (size_t i = 2; i < rows.size() && !rows[i].starts_with("|-"); ++i) block.entries.push_back(Cells(rows[i]));
  return block;
}

std::string LineAfter(const LabReport& lab, const std::regex& pattern, int group = 1) {
  std::smatch match;
  for (const std::string& line : lab.lines)
    if (std::regex_search(line, match, pattern)) return match[group].str();
  return {};
}

// The lines of the crash lab's source that a function spans, 1-based: from the
// line that defines it to the line of its closing brace.
std::pair<int, int> SourceLinesOf(const std::string& function) {
  std::ifstream source(CRASHLAB_SOURCE);
  std::string line;
  int number = 0, first = 0;
  while (std::getline(source, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first == 0 && line.find("noinline") != std::string::npos && line.find(" " + function + "(") != std::string::npos)
      first = number;
    if (first != 0 && (line.ends_with("}") && (number == first || line == "}"))) return {first, number};
  }
  return {0, 0};
}

struct KindCase {
  const char* kind;
  const char* function;  // the crash lab's function that fails
  bool addressInLab;     // the exception address lies in crashlab.exe (not inside the system)
};

void PrintTo(const KindCase& c, std::ostream* out) { *out << c.kind; }

const KindCase kKinds[] = {
    {"av-read", "ReadNowhere", true},     {"av-write", "WriteNowhere", true},
    {"div-zero", "DivideByZero", true},   {"stack-overflow", "Recurse", true},
    {"raise-custom", "RaiseCustom", false}, {"cpp-uncaught", "ThrowUncaught", true},
};

// The exception entry opens the first block ("*"); its first rows name the
// raising function, its unit and its line.
void ExpectExceptionBlockNamesTheRaiser(const LabReport& lab, const KindCase& kind) {
  const StackBlock block = ExceptionBlock(lab);
  EXPECT_TRUE(block.threadLine.starts_with("*Exception Thread: ID=" + lab.threadID + ";")) << block.threadLine;
  EXPECT_TRUE(block.threadLine.ends_with("[Main]")) << block.threadLine;
  ASSERT_FALSE(block.entries.empty()) << lab.output;

  // The raising function's row: the first one, unless the failure was raised inside the system.
  size_t at = 0;
  if (!kind.addressInLab)
    while (at < block.entries.size() && block.entries[at].at(4) != kind.function) ++at;
  ASSERT_LT(at, block.entries.size()) << lab.output;
  const std::vector<std::string>& row = block.entries[at];
  ASSERT_EQ(row.size(), 6u);
  if (kind.addressInLab) EXPECT_EQ(row[0], lab.address);
  EXPECT_EQ(row[1], "crashlab.exe");
  EXPECT_EQ(row[2], "main.cpp");
  EXPECT_EQ(row[4], kind.function);
  const auto [first, last] = SourceLinesOf(kind.function);
  ASSERT_GT(first, 0) << "no definition of " << kind.function << " in " << CRASHLAB_SOURCE;
  const int line = std::atoi(row[5].c_str());
  EXPECT_GE(line, first) << row[5];
  EXPECT_LE(line, last) << row[5];
}

// The program file's bytes at a code address of the running crash lab.
std::vector<uint8_t> LabFileBytes(uint32_t address, uint32_t base, size_t count) {
  std::ifstream file(CRASHLAB_EXE, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const tarvex::PeLayout layout = tarvex::ReadPeLayout(bytes);
  const uint32_t relative = address - base;
  for (const tarvex::PeSection& section : layout.sections)
    if (relative >= section.virtualAddress && relative + count <= section.virtualAddress + section.fileSize) {
      const size_t offset = section.fileOffset + (relative - section.virtualAddress);
      return {bytes.begin() + offset, bytes.begin() + offset + count};
    }
  return {};
}

// The listing's marked line is the faulting instruction, with the bytes of the program file.
void ExpectAssemblerMarksTheFaultingInstruction(const LabReport& lab, const KindCase& kind) {
  std::string marked;
  for (const std::string& line : lab.lines)
    if (line.find("<-- EXCEPTION") != std::string::npos) marked = line;
  ASSERT_FALSE(marked.empty()) << lab.output;
  EXPECT_EQ(marked.substr(0, 8), lab.address);

  // The memory dump's first line holds the 16 bytes at the exception address.
  std::smatch dump;
  std::string dumpLine;
  for (const std::string& line : lab.lines)
    if (std::regex_search(line, dump, std::regex("^[0-9A-F]{8}: [0-9A-F]{8}   ([0-9A-F]{8}): ((?:[0-9A-F]{2} ){16})"))) {
      dumpLine = line;
      break;
    }
  ASSERT_FALSE(dumpLine.empty()) << lab.output;
  EXPECT_EQ(dump[1].str(), lab.address);
  if (!kind.addressInLab) return;  // the system's code: its file is not the loaded image

  std::string base;
  for (const std::string& row : TableRows(lab, "Modules Information"))
    if (const std::vector<std::string> cells = Cells(row); cells.size() > 1 && cells[1] == "crashlab.exe") base = cells[0];
  ASSERT_FALSE(base.empty()) << lab.output;
  const uint32_t address = std::stoul(lab.address, nullptr, 16);
  const std::vector<uint8_t> code = LabFileBytes(address, std::stoul(base, nullptr, 16), 16);
  ASSERT_EQ(code.size(), 16u);
  EXPECT_EQ(tarvex::testsupport::Hex(dump[2].str()), code);

  uint32_t length = 0;
  std::string text;
  tarvex::Disassemble(tarvex::TDisAsm(), code, address, length, text);
  EXPECT_EQ(marked.substr(10, text.size()), text) << marked;
}

void ExpectRegistersOfTheHandlersContext(const LabReport& lab, const KindCase& kind) {
  const std::string esp = LineAfter(lab, std::regex("ESP: (.{8})$")), eip = LineAfter(lab, std::regex("EIP: (.{8})$"));
  if (lab.eip.empty()) {  // a C++ throw carries no processor context
    EXPECT_EQ(eip, "????    ");
    EXPECT_EQ(esp, "????    ");
    return;
  }
  EXPECT_EQ(eip, lab.eip);
  EXPECT_EQ(esp, lab.esp);
  if (kind.addressInLab) EXPECT_EQ(lab.eip, lab.address);
}

// The program's version resource reaches the general sections and the modules table.
void ExpectModulesTableWithTheProgramAndKernel32(const LabReport& lab) {
  EXPECT_EQ(LineAfter(lab, std::regex(R"(^  1\.2 .*: (.*)$)")), "crashlab.exe - (TarvexLog crash lab)");
  EXPECT_EQ(LineAfter(lab, std::regex(R"(^  1\.3 .*: (.*)$)")), "1.2.3.4");
  std::map<std::string, std::string> versions;
  for (const std::string& row : TableRows(lab, "Modules Information"))
    if (const std::vector<std::string> cells = Cells(row); cells.size() == 7) versions[cells[1]] = cells[3];
  EXPECT_EQ(versions["crashlab.exe"], "1.2.3.4") << "the version of tools/crashlab/crashlab.rc";
  ASSERT_TRUE(versions.contains("kernel32.dll")) << lab.output;
  EXPECT_TRUE(std::regex_match(versions["kernel32.dll"], std::regex(R"(\d+\.\d+\.\d+\.\d+)"))) << versions["kernel32.dll"];
}

void ExpectTheHandlersTypeAndMessage(const LabReport& lab) {
  // Under qemu-user the emulator loses the trap number of hardware faults and
  // Wine reports another code: the type then follows that code on both sides.
  EXPECT_EQ(LineAfter(lab, std::regex(R"(^  2\.5 .*: (.*)$)")), lab.className);
  std::string message = lab.message;
  if (!message.ends_with(".")) message += ".";
  EXPECT_EQ(LineAfter(lab, std::regex(R"(^  2\.6 .*?: (.*)$)")), message);
}

class LiveReport : public testing::TestWithParam<KindCase> {};

// One run of the crash lab per kind (each run composes a whole report, slow under emulation).
TEST_P(LiveReport, NamesTheFailureFromTheLiveProcess) {
  const LabReport lab = RunLab(GetParam().kind);
  ASSERT_FALSE(lab.address.empty()) << lab.output;
  ASSERT_GT(lab.lines.size(), 50u) << lab.output;
  ExpectExceptionBlockNamesTheRaiser(lab, GetParam());
  ExpectAssemblerMarksTheFaultingInstruction(lab, GetParam());
  ExpectRegistersOfTheHandlersContext(lab, GetParam());
  ExpectModulesTableWithTheProgramAndKernel32(lab);
  ExpectTheHandlersTypeAndMessage(lab);
}

INSTANTIATE_TEST_SUITE_P(Kinds, LiveReport, testing::ValuesIn(kKinds), [](const auto& info) {
  std::string name = info.param.kind;
  for (char& ch : name)
    if (ch == '-') ch = '_';
  return name;
});

std::string ExceptionID(const LabReport& lab) { return LineAfter(lab, std::regex(R"(^  2\.7 .*: ([0-9A-F]{4})$)")); }

TEST(LiveReportID, SameFailureTwiceGivesTheSameIDAnotherFunctionAnother) {
  const LabReport once = RunLab("av-read");
  const std::string first = ExceptionID(once);
  ASSERT_FALSE(first.empty()) << once.output;
  EXPECT_EQ(ExceptionID(RunLab("av-read")), first);
  EXPECT_NE(ExceptionID(RunLab("av-write")), first);
}

// A failure in a second thread: its own block first, then the main thread,
// traced while it waits for the failing thread, in a block of its own.
TEST(LiveReportThreads, TheMainThreadFollowsAsARunningThread) {
  const LabReport lab = RunLab("av-read --thread");
  const StackBlock block = ExceptionBlock(lab);
  EXPECT_TRUE(block.threadLine.starts_with("*Exception Thread: ID=" + lab.threadID + ";")) << lab.output;
  EXPECT_FALSE(block.threadLine.ends_with("[Main]")) << block.threadLine;
  ASSERT_FALSE(block.entries.empty()) << lab.output;
  EXPECT_EQ(block.entries[0].at(4), "ReadNowhere");

  const std::vector<std::string> rows = TableRows(lab, "Call Stack Information");
  size_t running = 0;
  while (running < rows.size() && !Cells(rows[running]).at(0).starts_with("Running Thread: ID=")) ++running;
  ASSERT_LT(running, rows.size()) << lab.output;
  EXPECT_TRUE(Cells(rows[running]).at(0).ends_with("[Main]")) << rows[running];
  bool mainListed = false;
  for (size_t i = running + 2; i < rows.size() && !rows[i].starts_with("|-"); ++i)
    mainListed |= Cells(rows[i]).at(4) == "main";
  EXPECT_TRUE(mainListed) << lab.output;
}

// Captures that name nothing usable still give a whole report, in this process.
TEST(LiveReportBuilder, ACaptureOfNothingUsableStillComposesAWholeReport) {
  void* reserved = VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS);  // mapped, never readable
  ASSERT_NE(reserved, nullptr);
  const uint32_t noAccess = uint32_t(reinterpret_cast<uintptr_t>(reserved));
  const struct {
    const char* what;
    uint32_t address, stackPointer, threadID;
  } cases[] = {
      {"nothing at all", 0, 0, 0},
      {"unmapped address and stack", 0x00000010, 0x00000020, GetCurrentThreadId()},
      {"reserved memory of a thread that does not exist", noAccess + 0x100, noAccess + 0x8000, 0xFFFFFFF0},
  };
  const tarvex::TTarvexModuleOptions options;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tarvex::TCaptureInfo capture;
    capture.Address = c.address;
    capture.StackPointer = c.stackPointer;
    capture.ThreadId = c.threadID;
    const std::unique_ptr<tarvex::TReportBuilder> builder = tarvex::MakeLiveReportBuilder();
    builder->TraceCallStacks(capture, options);
    EXPECT_TRUE(std::regex_match(builder->ExceptionId(), std::regex("[0-9A-F]{4}"))) << builder->ExceptionId();
    builder->ListModulesAndProcesses();
    const tarvex::BugReport report = builder->Compose(capture, options, tarvex::LocalDateTimeNow());
    EXPECT_TRUE(report.Text().starts_with("TarvexLog 6.1.01 RC 1\r\n")) << report.Text().substr(0, 100);
    EXPECT_NE(report.Text().find("Unknown exception type"), std::string::npos);
    EXPECT_EQ(report.exceptionMessage, "Unknown error message.");
    EXPECT_EQ(report.exceptionID, builder->ExceptionId());
    EXPECT_NE(report.Text().find("EIP: ????    "), std::string::npos) << "no context";
    EXPECT_TRUE(report.assemblerListing.empty()) << report.assemblerListing;
    EXPECT_NE(report.Text().find("|kernel32.dll"), std::string::npos) << "the modules are listed all the same";
  }
  VirtualFree(reserved, 0, MEM_RELEASE);
}

}  // namespace
