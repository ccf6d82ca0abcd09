#include "crashreport/report/log/log_xml.h"

#include <algorithm>
#include <array>
#include <optional>

#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/report_sections.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"

namespace tarvex {
namespace {

constexpr std::string_view kUnknownRegister = "????    ";

// Characters `first` to `last` (counted from 1) of `line`, as far as it has them.
std::string_view Columns(std::string_view line, size_t first, size_t last) {
  return first > line.size() ? std::string_view() : line.substr(first - 1, last - first + 1);
}

// ----- General ---------------------------------------------------------

class GeneralWriter {
 public:
  explicit GeneralWriter(TXMLItem& general) : general_(general) {}

  void Add(std::string_view line) {
    const std::string_view trimmed = TrimText(line);
    if (trimmed.empty()) {
      EndGroup();
      captionNext_ = true;
    } else if (captionNext_) {
      group_ = &general_.AddChild("Group");
      groupLabel_ = line.substr(0, line.size() - 1);
      groupNamed_ = false;
      captionNext_ = false;
      dashLineNext_ = true;
    } else if (dashLineNext_) {
      dashLineNext_ = false;
    } else if (trimmed.find(": ") != std::string_view::npos || trimmed.ends_with(':')) {
      AddItem(trimmed);
    } else if (pending_) {
      pending_->value += kLineBreak;
      pending_->value += trimmed;
    }
  }

  void End() { EndGroup(); }

 private:
  struct PendingLine {
    std::string number, label, value;
  };

  void AddItem(std::string_view line) {
    EndLine();
    const size_t space = line.find(' ');
    size_t colon = line.find(": ");
    if (colon == std::string_view::npos) colon = line.size() - 1;
    PendingLine item;
    item.number = line.substr(0, std::min(space, colon));
    if (space < colon) item.label = TrimText(line.substr(space + 1, colon - space - 1));
    if (colon + 2 <= line.size()) item.value = line.substr(colon + 2);
    if (!groupNamed_) NameGroup(item.number.substr(0, item.number.find('.')));
    pending_ = std::move(item);
  }

  void NameGroup(std::string_view id) {
    group_->AddAttribute("ID", id);
    group_->AddAttribute("Label", groupLabel_);
    groupNamed_ = true;
  }

  // ".", alone on a continuation line, stands for an empty line; ":_" for ": ".
  static std::string Finished(const std::string& value) {
    std::string finished;
    const auto lines = SplitLines(value);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) finished += kLineBreak;
      if (!(lines.size() > 1 && lines[i] == ".")) finished += lines[i];
    }
    for (size_t at = finished.find(":_"); at != std::string::npos; at = finished.find(":_", at + 2))
      finished.replace(at, 2, ": ");
    return finished;
  }

  void EndLine() {
    if (!pending_) return;
    TXMLItem& line = group_->AddChild("Line");
    line.AddAttribute("ID", pending_->number);
    line.AddAttribute("Label", pending_->label);
    line.AddAttribute("Value", Finished(pending_->value));
    pending_.reset();
  }

  void EndGroup() {
    EndLine();
    if (group_ && !groupNamed_) NameGroup({});
    group_ = nullptr;
  }

  TXMLItem& general_;
  TXMLItem* group_ = nullptr;
  std::string groupLabel_;
  bool groupNamed_ = false;
  bool captionNext_ = true;
  bool dashLineNext_ = false;
  std::optional<PendingLine> pending_;
};

void AddGeneral(TXMLItem& log, std::string_view report) {
  GeneralWriter writer(log.AddChild("General"));
  const std::string general = GeneralPart(report);
  const auto lines = SplitLines(general);
  for (size_t i = 2; i < lines.size(); ++i) writer.Add(lines[i]);  // after the header line and its blank line
  writer.End();
}

// ----- Tables ----------------------------------------------------------

// The rows of a table: its lines from the fourth to the one before the last,
// without dash rows.
std::vector<std::string_view> TableRows(std::string_view table) {
  const auto lines = SplitLines(table);
  std::vector<std::string_view> rows;
  for (size_t i = 3; i + 1 < lines.size(); ++i)
    if (!lines[i].starts_with("|-")) rows.push_back(lines[i]);
  return rows;
}

// A row's cells, trimmed: leading bars skipped, the empty piece after the last bar dropped.
std::vector<std::string_view> Cells(std::string_view row) {
  row.remove_prefix(std::min(row.find_first_not_of('|'), row.size()));
  std::vector<std::string_view> cells;
  for (size_t start = 0;;) {
    const size_t bar = row.find('|', start);
    const std::string_view piece = row.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
    if (bar == std::string_view::npos) {
      if (!piece.empty()) cells.push_back(TrimText(piece));
      return cells;
    }
    cells.push_back(TrimText(piece));
    start = bar + 1;
  }
}

std::string_view Cell(const std::vector<std::string_view>& cells, size_t number) {
  return number <= cells.size() ? cells[number - 1] : std::string_view();
}

void AddCells(TXMLItem& item, const std::vector<std::string_view>& cells,
              std::initializer_list<std::pair<const char*, size_t>> columns) {
  for (const auto& [name, number] : columns) item.AddAttribute(name, Cell(cells, number));
}

// ----- Call stack ------------------------------------------------------

class CallStackWriter {
 public:
  CallStackWriter(TXMLItem& callStack, bool oldReport) : callStack_(callStack) {
    if (oldReport) OpenThread("ExceptionThread", callStack_);
  }

  void Add(std::string_view row) {
    const auto cells = Cells(row);
    if (cells.size() >= 6) {
      AddLine(cells);
    } else if (cells.empty() || cells[0].empty()) {
      topLevelNext_ = true;
    } else {
      AddThread(cells[0]);
    }
  }

 private:
  void OpenThread(const char* name, TXMLItem& parent) {
    thread_ = &parent.AddChild(name);
    topLevelNext_ = false;
  }

  // "*Exception Thread: ID=2316; Priority=0; Class=; [Main]"
  void AddThread(std::string_view line) {
    if (!thread_) {
      OpenThread("ExceptionThread", callStack_);
    } else if (topLevelNext_) {
      OpenThread("RunningThread", callStack_);
    } else {
      OpenThread("CallingThread", *thread_);
    }
    const size_t colon = line.find(':');
    std::string_view details = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
    if (details.starts_with(' ')) details.remove_prefix(1);
    std::vector<std::string_view> pieces;
    for (size_t start = 0; !details.empty();) {
      const size_t semicolon = details.find(';', start);
      pieces.push_back(TrimText(details.substr(start, semicolon - start)));
      if (semicolon == std::string_view::npos) break;
      start = semicolon + 1;
    }
    static constexpr std::array<const char*, 3> kNames = {"ID", "Priority", "Class"};
    for (size_t i = 0; i < kNames.size() && i < pieces.size(); ++i) {
      const size_t equals = pieces[i].find('=');
      thread_->AddAttribute(kNames[i], equals == std::string_view::npos ? std::string_view() : pieces[i].substr(equals + 1));
    }
    thread_->AddAttribute("MainThread", pieces.size() >= 4 ? "True" : "False");
  }

  void AddLine(const std::vector<std::string_view>& cells) {
    if (!thread_) OpenThread("ExceptionThread", callStack_);
    TXMLItem& line = thread_->AddChild("Line");
    AddCells(line, cells, {{"Address", 1}, {"Module", 2}, {"Unit", 3}, {"Class", 4}});
    std::string procedure(cells[4]);
    if (procedure.starts_with('@')) procedure[0] = '_';
    line.AddAttribute("Procedure", procedure);
    const std::string_view number = cells[5];
    const size_t bracket = number.find('[');
    line.AddAttribute("Number", number.substr(0, bracket));
    line.AddAttribute("Offset", bracket == std::string_view::npos || number.size() < bracket + 2
                                    ? std::string_view()
                                    : number.substr(bracket + 1, number.size() - bracket - 2));
  }

  TXMLItem& callStack_;
  TXMLItem* thread_ = nullptr;
  bool topLevelNext_ = false;
};

void AddCallStack(TXMLItem& log, std::string_view report, bool oldReport) {
  CallStackWriter writer(log.AddChild("CallStack"), oldReport);
  const std::string table = CallStackTable(report);
  for (std::string_view row : TableRows(table)) writer.Add(row);
}

void AddModules(TXMLItem& log, std::string_view report) {
  TXMLItem& modules = log.AddChild("Modules");
  const std::string table = ModulesTable(report);
  for (std::string_view row : TableRows(table)) {
    const auto cells = Cells(row);
    TXMLItem& module = modules.AddChild("Module");
    AddCells(module, cells, {{"Handle", 1}, {"Name", 2}, {"Description", 3}, {"Version", 4}, {"Size", 5}});
    if (cells.size() >= 7) {
      AddCells(module, cells, {{"Modified", 6}, {"Path", 7}});
    } else {  // logs from before the Modified column
      AddCells(module, cells, {{"Path", 6}});
    }
  }
}

void AddProcesses(TXMLItem& log, std::string_view report) {
  TXMLItem& processes = log.AddChild("Processes");
  const std::string table = ProcessesTable(report);
  for (std::string_view row : TableRows(table))
    AddCells(processes.AddChild("Process"), Cells(row),
             {{"ID", 1}, {"Name", 2}, {"Description", 3}, {"Version", 4}, {"Memory", 5}, {"Priority", 6},
              {"Threads", 7}, {"Path", 8}});
}

// ----- Assembler and CPU -----------------------------------------------

// "0040A1B2  call    $0040C000   ; <-- EXCEPTION" or "; Unit.Class.Procedure (Line=52 - Offset=3)"
void AddAssembler(TXMLItem& log, std::string_view report) {
  constexpr size_t kCommandColumn = 11;
  TXMLItem& assembler = log.AddChild("Assembler");
  const std::string listing = AssemblerListing(report);
  for (std::string_view text : SplitLines(listing)) {
    const std::string_view line = TrimText(text);
    if (line.empty()) continue;
    TXMLItem& item = assembler.AddChild("Line");
    if (line.starts_with(';')) {
      item.AddAttribute("Address", "");
      item.AddAttribute("Command", "");
      item.AddAttribute("Comment", line.substr(1));
      continue;
    }
    const size_t semicolon = line.find(';');
    item.AddAttribute("Address", line.substr(0, 8));
    const std::string_view rest = line.substr(0, semicolon);
    item.AddAttribute("Command", rest.size() < kCommandColumn ? std::string_view() : rest.substr(kCommandColumn - 1));
    item.AddAttribute("Comment", semicolon == std::string_view::npos ? std::string_view() : line.substr(semicolon + 1));
  }
}

// Lines 3 to 6 of the block: "EAX: 0012FE40   EDI: 0012FF60", then EBX/ESI, ECX/ESP, EDX/EIP.
void AddRegisters(TXMLItem& cpu, const std::vector<std::string_view>& lines) {
  constexpr size_t kFirstLine = 2, kLeftColumn = 6, kRightColumn = 22;
  static constexpr std::array<const char*, 8> kNames = {"EAX", "EBX", "ECX", "EDX", "EDI", "ESI", "ESP", "EIP"};
  TXMLItem& registers = cpu.AddChild("Registers");
  for (size_t i = 0; i < kNames.size(); ++i) {
    const size_t line = kFirstLine + i % 4;
    if (line >= lines.size()) continue;
    const size_t column = i < 4 ? kLeftColumn : kRightColumn;
    const std::string_view value = Columns(lines[line], column, column + 7);
    if (value != kUnknownRegister) registers.AddAttribute(kNames[i], value);
  }
}

// From the 10th line on: "0012FE2C: 0040A1B7   0040A1B2: 55 8B ... 3F  U..h .@.89:;<=>?"
void AddDump(TXMLItem& cpu, const std::vector<std::string_view>& lines) {
  constexpr size_t kFirstDumpLine = 9;
  TXMLItem& stack = cpu.AddChild("Stack");
  TXMLItem& memory = cpu.AddChild("MemoryDump");
  for (size_t i = kFirstDumpLine; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.empty()) continue;
    TXMLItem& stackLine = stack.AddChild("Line");
    stackLine.AddAttribute("Address", Columns(line, 1, 8));
    stackLine.AddAttribute("Value", Columns(line, 11, 18));
    TXMLItem& memoryLine = memory.AddChild("Line");
    memoryLine.AddAttribute("Address", Columns(line, 22, 29));
    memoryLine.AddAttribute("Bytes", Columns(line, 32, 78));
    memoryLine.AddAttribute("Chars", Columns(line, 81, 96));
  }
}

void AddCpu(TXMLItem& log, std::string_view report) {
  TXMLItem& cpu = log.AddChild("CPU");
  const std::string block = CpuBlock(report);
  if (block.empty()) return;
  const auto lines = SplitLines(block);
  AddRegisters(cpu, lines);
  AddDump(cpu, lines);
}

}  // namespace

TXMLItem ReportXml(std::string_view report) {
  const std::string version = ReportVersion(report);
  TXMLItem log("Log");
  log.AddAttribute("Version", version);
  AddGeneral(log, report);
  AddCallStack(log, report, IsVersionBelow(version, "5.0"));
  AddModules(log, report);
  AddProcesses(log, report);
  AddAssembler(log, report);
  AddCpu(log, report);
  if (IsVersionBelow(version, "5.0")) log.AddChild("HoToReproduce").AddAttribute("Text", OldReproduceText(report));
  return log;
}

std::string ExportXml(const std::vector<std::string>& reports) {
  std::string document = "<Doc>\r\n";
  for (const std::string& report : reports) document += ReportXml(report).WriteXml("  ");
  document += "</Doc>\r\n";
  return document;
}

}  // namespace tarvex
