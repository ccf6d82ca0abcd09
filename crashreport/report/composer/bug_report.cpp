#include "crashreport/report/composer/bug_report.h"

#include "crashreport/base/options/options.h"
#include "crashreport/report/composer/general_sections.h"
#include "crashreport/report/composer/log_item.h"
#include "crashreport/report/composer/machine_sections.h"
#include "crashreport/report/composer/report_tables.h"
#include "crashreport/report/composer/text_table.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/text_case.h"

namespace tarvex {

namespace {

// Log option bits.
constexpr uint8_t kSaveModuleSections = 0x10, kSaveCpuSections = 0x20;
constexpr int kSectionBase = 7;  // added sections are numbered 8

BugReport ComposeWith(const ReportFacts& facts) {
  const TTarvexModuleOptions& options = *facts.options;
  ReportSummary summary;
  summary.dialogHeading = options.Text(mtErrorDuringExecution) + "\r\n\r\n";

  const GeneralValues values = ComputeGeneralValues(facts);
  summary.mainModuleText = values.mainModule;
  summary.exceptionModuleText = values.exceptionModule;
  summary.exceptionMessage = values.exceptionMessage;
  summary.exceptionType = facts.exceptionType;
  summary.exceptionID = values.exceptionID;
  const std::string general =
      std::string(kReportHeaderLine) + "\r\n\r\n" + BuildGeneralSections(facts, values);

  if (options.LogFlags() & kSaveCpuSections) {
    AssemblerSection assembler =
        BuildAssemblerListing(facts.memory, facts.exceptionAddress, facts.locate, options.Text(mtAssemblerInformation));
    summary.assemblerTitle = std::move(assembler.title);
    summary.assemblerListing = std::move(assembler.listing);
    summary.cpuBlock = BuildCpuBlock(facts.memory, facts.registers, facts.stackPointer, facts.exceptionAddress,
                                     options.Text(mtRegisters), options.Text(mtStack),
                                     options.Text(mtMemoryDump));
  } else {
    summary.assemblerTitle = CaptionWithDashes(options.Text(mtAssemblerInformation));
    summary.cpuBlock = CaptionWithDashes(options.Text(mtRegisters)) + "\r\n\r\n";
  }

  std::string tail;
  AppendCallStackTable(tail, options, facts.stack, facts.threadDetails);
  if (options.LogFlags() & kSaveModuleSections) {
    AppendModulesTable(tail, options, facts.modules);
    AppendProcessesTable(tail, options, facts.processes);
  } else {
    for (TMessageText caption : {mtModulesInformation, mtProcessesInformation})
      tail += CaptionWithDashes(options.Text(caption)) + "\r\n\r\n";
  }
  tail.append(summary.assemblerTitle).append("\r\n");
  tail.append(summary.assemblerListing).append("\r\n").append(summary.cpuBlock);
  return BugReport(general + "\r\n", std::move(tail), std::move(summary));
}

// An added section numbered 8, with the blank line after it.
std::string AddedSection(const std::string& caption, const std::vector<std::pair<std::string, std::string>>& lines) {
  TLogItem log(kSectionBase);
  log.AddHeader(caption);
  for (const auto& [label, value] : lines) log.AddItem(label, value, true);
  return log.BuildText() + "\r\n";
}

// Writes `address` over the value of item 3.3: from two characters after the
// first ": " behind the first CR LF + "  3.3 " up to the end of that line.
void WriteEmailItem(std::string& text, std::string_view address) {
  const size_t item = text.find("\r\n  3.3 ");
  if (item == std::string::npos) return;
  const size_t colon = text.find(": ", item);
  if (colon == std::string::npos) return;
  const size_t valueStart = colon + 2;
  size_t lineEnd = text.find("\r\n", valueStart);
  if (lineEnd == std::string::npos) lineEnd = text.size();
  text.replace(valueStart, lineEnd - valueStart, address);
}

}  // namespace

BugReport ComposeBugReport(const ReportFacts& facts) noexcept {
  try {
    if (facts.options) return ComposeWith(facts);
  } catch (...) {
    // Out of memory: the handling goes on with an empty report.
  }
  return BugReport();
}

BugReport::BugReport(std::string head, std::string tail, ReportSummary summary)
    : ReportSummary(std::move(summary)), head_(std::move(head)), tail_(std::move(tail)), text_(ComposeText()) {}

std::string BugReport::ComposeText() const {
  std::string text;
  text.reserve(head_.size() + customData_.size() + reproduceSteps_.size() + tail_.size() + userEmail_.size());
  text.append(head_);
  if (!userEmail_.empty()) WriteEmailItem(text, userEmail_);
  return text.append(customData_).append(reproduceSteps_).append(tail_);
}

std::string_view BugReport::GeneralPart() const {
  // Up to the blank line before the tail.
  const size_t end = text_.size() - tail_.size();
  return std::string_view(text_).substr(0, end >= 2 ? end - 2 : 0);
}

void BugReport::Change(std::string BugReport::*item, std::string value) noexcept {
  std::swap(this->*item, value);
  try {
    text_ = ComposeText();
  } catch (...) {
    std::swap(this->*item, value);  // out of memory: item and text stay as they were
  }
}

void BugReport::SetCustomData(const std::string& caption,
                              const std::vector<std::pair<std::string, std::string>>& pairs) noexcept {
  try {
    std::vector<std::pair<std::string, std::string>> trimmed;
    for (const auto& [name, value] : pairs) trimmed.emplace_back(TrimText(name), TrimText(value));
    Change(&BugReport::customData_, trimmed.empty() ? std::string() : AddedSection(caption, trimmed));
  } catch (...) {
  }
}

void BugReport::SetUserEmail(const std::string& address) noexcept {
  try {
    Change(&BugReport::userEmail_, address);
  } catch (...) {
  }
}

void BugReport::SetReproduceSteps(const std::string& caption, const std::string& steps) noexcept {
  try {
    Change(&BugReport::reproduceSteps_, steps.empty() ? std::string() : AddedSection(caption, {{"", steps}}));
  } catch (...) {
  }
}

std::vector<std::pair<std::string, std::string>> ReportVariables(const ReportFacts& facts, const BugReport& report) {
  std::vector<std::pair<std::string, std::string>> variables;
  auto module = [&](const char* prefix, const ReportModule& m) {
    variables.emplace_back(std::string(prefix) + "Name", ExtractFileName(m.fileName));
    variables.emplace_back(std::string(prefix) + "Desc", m.description);
    variables.emplace_back(std::string(prefix) + "Ver", m.version);
  };
  if (!facts.mainModule.fileName.empty()) module("_MainModule", facts.mainModule);
  if (facts.exceptionModule) module("_ExceptModule", *facts.exceptionModule);
  variables.emplace_back("_ExceptMsg", report.exceptionMessage);
  variables.emplace_back("_BugReport", report.Text());
  variables.emplace_back("_LineBreak", "\r\n");
  return variables;
}

}  // namespace tarvex
