// Runs crashlab.exe for each kind of failure, in the main thread and in a
// second one, and checks what the whole handling received and did, as the
// lab's event handlers print it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/child_process_win.h"
#include "tests/support/emulation_win.h"

namespace {

using tarvex::testing::ChildRun;
using tarvex::testing::LinesStartingWith;

constexpr const char* kBeginReport = "----- BEGIN BUG REPORT -----";

ChildRun RunCrashLab(const std::string& arguments, const std::function<void(DWORD)>& whileRunning = {}) {
  return tarvex::testing::RunChild(CRASHLAB_EXE, arguments, whileRunning);
}

// HANDLED|class|message|thread|address|handled flag|raise kind|output kind, then
// the captured registers (checked with the report).
const std::regex kHandledLine(R"(([^|]*)\|([^|]*)\|(\d+)\|([0-9A-F]{8})\|([01])\|(\d)\|(\d)(\|.*)?)");

struct KindCase {
  const char* kind;
  const char* className;       // nullptr: never handled
  const char* messagePattern;  // the whole message; ADDR stands for the handled address
  bool hardwareFault;          // raised by the processor, not by a call
  bool caught = false;         // the program catches it: reported at the end of its catch block, the program goes on
};

// The cells of the report's first call-stack entry: the row under the
// exception thread's heading (|Address|Module|Unit|Class|Procedure|Line|).
std::vector<std::string> FirstStackEntry(const std::string& output) {
  const size_t heading = output.find("|*Exception Thread");
  if (heading == std::string::npos) return {};
  size_t row = output.find('\n', output.find('\n', heading) + 1) + 1;  // past the heading's rule
  const std::string line = output.substr(row, output.find('\n', row) - row);
  std::vector<std::string> cells;
  static const std::regex kCell(R"(\|\s*([^|]*?)\s*(?=\|))");
  for (auto it = std::sregex_iterator(line.begin(), line.end(), kCell); it != std::sregex_iterator(); ++it)
    cells.push_back((*it)[1].str());
  return cells;
}

// Test names and messages show the kind, never the case's bytes (they change from build to build).
void PrintTo(const KindCase& c, std::ostream* out) { *out << c.kind; }

class CrashLab : public testing::TestWithParam<std::tuple<KindCase, bool>> {};

TEST_P(CrashLab, EachFailureReachesTheHandlerOnceFromItsThread) {
  const auto& [c, inThread] = GetParam();
  const ChildRun run = RunCrashLab(std::string(c.kind) + (inThread ? " --thread" : ""));
  ASSERT_TRUE(run.finished) << run.output;
  const std::vector<std::string> threads = LinesStartingWith(run.output, "THREAD|");
  const std::vector<std::string> handled = LinesStartingWith(run.output, "HANDLED|");
  ASSERT_EQ(threads.size(), 1u) << run.output;
  EXPECT_EQ(run.exitCode, c.caught ? 0u : 1u) << "a failure ends its thread; the crash lab passes the exit code on";
  if (c.className == nullptr) {
    EXPECT_TRUE(handled.empty()) << run.output;
    return;
  }
  ASSERT_EQ(handled.size(), 1u) << run.output;
  EXPECT_EQ(LinesStartingWith(run.output, kBeginReport).size(), 1u) << "the report went to standard output";
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(handled[0], parts, kHandledLine)) << handled[0];
  std::string className = c.className, pattern = c.messagePattern;
  if (c.hardwareFault && tarvex::testing::RunsUnderEmulation()) {
    // qemu-user loses the processor's trap number, so Wine reports a fault
    // under another code; the exception object follows the code it gets.
    className = "EExternalException";
    pattern = "External exception C[0-9A-F]{7}";
  }
  EXPECT_EQ(parts[1].str(), className);
  if (const size_t at = pattern.find("ADDR"); at != std::string::npos) pattern.replace(at, 4, parts[4].str());
  EXPECT_TRUE(std::regex_match(parts[2].str(), std::regex(pattern))) << parts[2].str() << " vs " << pattern;
  EXPECT_EQ(parts[3].str(), threads[0]) << "the raising thread";
  const std::vector<std::string> raisers = LinesStartingWith(run.output, "RAISER|");
  ASSERT_EQ(raisers.size(), 1u);
  const unsigned long raiser = std::stoul(raisers[0], nullptr, 16), address = std::stoul(parts[4].str(), nullptr, 16);
  if (raiser != 0) {
    EXPECT_GE(address, raiser) << "the address lies in the function that raised";
    EXPECT_LT(address, raiser + 0x80) << "the address lies in the function that raised";
    // The report's first entry is that function, with its line from the program's own table.
    const std::vector<std::string> entry = FirstStackEntry(run.output);
    ASSERT_EQ(entry.size(), 6u) << run.output;
    EXPECT_EQ(entry[0], parts[4].str());
    EXPECT_EQ(entry[1], "crashlab.exe");
    EXPECT_EQ(entry[2], "main.cpp");
    EXPECT_TRUE(std::regex_match(entry[5], std::regex(R"(\d+\[\d+\])"))) << entry[5];
  }
  EXPECT_EQ(parts[5].str(), c.caught ? "1" : "0") << "the handled flag";
  const char* raiseKind = inThread && !c.caught ? "2" : "0";  // in a second thread the failure ends that thread only
  EXPECT_EQ(parts[6].str(), raiseKind) << "the raise kind";
  EXPECT_EQ(parts[7].str(), "0") << "the output kind";
  if (c.caught) {
    EXPECT_EQ(LinesStartingWith(run.output, "CAUGHT").size(), 1u) << "the program's catch block ran";
  }
}

const KindCase kKinds[] = {
    {"av-read", "EAccessViolation", "Access violation at address ADDR in module 'crashlab.exe'\\. Read of address 00000010", true},
    {"av-write", "EAccessViolation", "Access violation at address ADDR in module 'crashlab.exe'\\. Write of address 00000010", true},
    {"div-zero", "EDivByZero", "Division by zero", true},
    {"stack-overflow", "EStackOverflow", "Stack overflow", false},
    {"raise-custom", "EExternalException", "External exception E0001234", false},
    {"av-system", "EAccessViolation", "Access violation at address ADDR in module '[^']+\\.dll'\\. Read of address 00000010", true},
    {"cpp-uncaught", "EConvertError", "'lab' is not a valid integer value", false},
    {"abort", nullptr, "", false},
    {"handled", "EConvertError", "'caught' is not a valid integer value", false, true},
    {"raise-language", "EConvertError", "'language' is not a valid integer value", false},
};

INSTANTIATE_TEST_SUITE_P(Kinds, CrashLab, testing::Combine(testing::ValuesIn(kKinds), testing::Bool()),
                         [](const auto& info) {
                           std::string name = std::get<0>(info.param).kind;
                           for (char& ch : name)
                             if (ch == '-') ch = '_';
                           return name + (std::get<1>(info.param) ? "_SecondThread" : "_MainThread");
                         });

// A failure inside a system module (the exception address lies in a library
// without crash reporter data) is handled with the program's own options and
// stored in the program's own log.
TEST(CrashLabLog, FailuresInsideSystemModulesLandInTheProgramsLog) {
  std::string log = CRASHLAB_EXE;
  log.replace(log.size() - 4, 4, ".elf");
  DeleteFileA(log.c_str());
  for (const char* kind : {"raise-custom", "av-system"}) {
    const ChildRun run = RunCrashLab(kind);
    ASSERT_TRUE(run.finished) << run.output;
    ASSERT_EQ(LinesStartingWith(run.output, "HANDLED|").size(), 1u) << run.output;
  }
  std::string text;
  if (FILE* file = std::fopen(log.c_str(), "rb")) {
    for (char buffer[4096]; const size_t read = std::fread(buffer, 1, sizeof buffer, file);) text.append(buffer, read);
    std::fclose(file);
  }
  DeleteFileA(log.c_str());
  EXPECT_NE(text.find("External exception E0001234"), std::string::npos) << "raise-custom is not in " << log;
  const bool accessViolation = text.find("Read of address 00000010") != std::string::npos;
  // Under emulation the fault comes under another code (see above).
  EXPECT_TRUE(accessViolation || (tarvex::testing::RunsUnderEmulation() &&
                                  std::regex_search(text, std::regex("External exception C[0-9A-F]{7}"))))
      << "av-system is not in " << log;
}

// The framework's error box of the crash lab (a dialog window of process `processId`), or nullptr.
struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK LookAtWindow(HWND window, LPARAM argument) {
  auto& search = *reinterpret_cast<BoxSearch*>(argument);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner != search.processId || !IsWindowVisible(window) || std::string(className) != "#32770") return TRUE;
  search.found = window;
  return FALSE;
}

HWND ErrorBoxOf(DWORD processId) {
  BoxSearch search{processId, nullptr};
  EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A failure in a button's click handler reaches the hooked application
// handler (okApplication, nothing reported at the raise); the framework's
// error box appears only when the handling asks for the ordinary handling.
TEST(CrashLabGui, TheApplicationHandlerDecidesOnTheFrameworksErrorBox) {
  for (const bool ordinary : {false, true}) {
    bool boxSeen = false;
    const ChildRun run = RunCrashLab(std::string("cpp-uncaught --gui") + (ordinary ? " --ordinary" : ""),
                                     [&](DWORD processId) {
                                       if (const HWND box = ErrorBoxOf(processId)) {
                                         boxSeen = true;
                                         PostMessageA(box, WM_COMMAND, IDOK, 0);
                                       }
                                     });
    ASSERT_TRUE(run.finished) << run.output;
    EXPECT_EQ(boxSeen, ordinary) << run.output;
    const std::vector<std::string> threads = LinesStartingWith(run.output, "THREAD|");
    const std::vector<std::string> handled = LinesStartingWith(run.output, "HANDLED|");
    ASSERT_EQ(threads.size(), 1u) << run.output;
    ASSERT_EQ(handled.size(), 1u) << run.output;
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(handled[0], parts, kHandledLine)) << handled[0];
    EXPECT_EQ(parts[1].str(), "EConvertError");
    EXPECT_EQ(parts[3].str(), threads[0]);
    EXPECT_EQ(parts[5].str() + parts[6].str() + parts[7].str(), "001")
        << "caught by the framework: not the handled flag, rkUncaught, okApplication";
    EXPECT_EQ(LinesStartingWith(run.output, "DONE").size(), 1u) << "the program goes on";
    EXPECT_EQ(run.exitCode, 0u);
  }
}

// A notify handler that throws while the handling runs: the handling drops
// that exception (its thread is already in the handling), goes on with the
// next handler and reports the original exception once.
TEST(CrashLabEvents, AnExceptionInAnEventHandlerIsDroppedAndTheOriginalReportedOnce) {
  const ChildRun run = RunCrashLab("event-raises");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(LinesStartingWith(run.output, "EVENT-RAISES").size(), 1u) << "the failing handler ran once: no recursion";
  const std::vector<std::string> handled = LinesStartingWith(run.output, "HANDLED|");
  ASSERT_EQ(handled.size(), 1u) << run.output;
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(handled[0], parts, kHandledLine)) << handled[0];
  EXPECT_EQ(parts[1].str() + "|" + parts[2].str(), "EConvertError|'lab' is not a valid integer value")
      << "the original exception, not the handler's";
  EXPECT_EQ(LinesStartingWith(run.output, kBeginReport).size(), 1u) << run.output;
  EXPECT_EQ(LinesStartingWith(run.output, "----- END BUG REPORT -----").size(), 1u) << run.output;
  EXPECT_EQ(run.output.find("'event'"), std::string::npos) << "the handler's exception is never reported";
  EXPECT_EQ(run.exitCode, 1u) << "the original exception still ends the program";
}

// Ten exceptions within a minute with the default crash burst options
// (restart, 10, 1 minute): each is handled and reported, and the end
// decision after the tenth restarts the program with its command line; the
// old process ends with exit code 1.
TEST(CrashLabBurst, TheTenthExceptionOfABurstRestartsTheProgram) {
  const std::string eventName = "crashlab-restarted-" + std::to_string(GetCurrentProcessId());
  const HANDLE restarted = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  ASSERT_NE(restarted, nullptr);
  const ChildRun run = RunCrashLab("burst " + eventName);
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(LinesStartingWith(run.output, "CAUGHT").size(), 10u) << run.output;
  const std::vector<std::string> handled = LinesStartingWith(run.output, "HANDLED|");
  EXPECT_EQ(handled.size(), 10u) << run.output;
  for (const std::string& line : handled) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(line, parts, kHandledLine)) << line;
    EXPECT_EQ(parts[1].str(), "EConvertError");
    EXPECT_EQ(parts[5].str(), "1") << "reported at the end of its catch block";
  }
  EXPECT_EQ(LinesStartingWith(run.output, kBeginReport).size(), 10u);
  EXPECT_EQ(LinesStartingWith(run.output, "TERMINATING").size(), 1u) << "one end decision, after the tenth";
  EXPECT_TRUE(LinesStartingWith(run.output, "NO-RESTART").empty()) << run.output;
  EXPECT_EQ(run.exitCode, 1u);
  // The restarted program tells the event; emulated Wine starts a process slowly.
  EXPECT_EQ(WaitForSingleObject(restarted, 120000), WAIT_OBJECT_0) << "the program was started again";
  CloseHandle(restarted);
}

}  // namespace
