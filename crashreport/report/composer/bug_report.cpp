#include "crashreport/report/composer/bug_report.h"

#include "crashreport/base/options/options.h"
#include "crashreport/report/composer/general_sections.h"
#include "crashreport/report/composer/log_item.h"
#include "crashreport/report/composer/machine_sections.h"
#include "crashreport/report/composer/report_tables.h"
#include "crashreport/report/composer/text_table.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "crashreport/base/util/file_names.h"

namespace tarvex {

namespace {

// Log option bits.
constexpr uint8_t kSaveModuleSections = 0x10, kSaveCpuSections = 0x20;
constexpr int kSectionBase = 7;  // spliced sections are numbered 8

void ComposeInto(BugReport& report, const ReportFacts& facts) {
  const TTarvexModuleOptions& options = *facts.options;
  report.dialogHeading = options.Text(mtErrorDuringExecution) + "\r\n\r\n";

  const GeneralValues values = ComputeGeneralValues(facts);
  report.mainModuleText = values.mainModule;
  report.exceptionModuleText = values.exceptionModule;
  report.exceptionMessage = values.exceptionMessage;
  report.exceptionType = facts.exceptionType;
  report.exceptionID = values.exceptionID;
  const std::string general =
      std::string(kReportHeaderLine) + "\r\n\r\n" + BuildGeneralSections(facts, values);

  if (options.LogFlags() & kSaveCpuSections) {
    AssemblerSection assembler =
        BuildAssemblerListing(facts.memory, facts.exceptionAddress, facts.locate, options.Text(mtAssemblerInformation));
    report.assemblerTitle = std::move(assembler.title);
    report.assemblerListing = std::move(assembler.listing);
    report.cpuBlock = BuildCpuBlock(facts.memory, facts.registers, facts.stackPointer, facts.exceptionAddress,
                                    options.Text(mtRegisters), options.Text(mtStack),
                                    options.Text(mtMemoryDump));
  } else {
    report.assemblerTitle = CaptionWithDashes(options.Text(mtAssemblerInformation));
    report.cpuBlock = CaptionWithDashes(options.Text(mtRegisters)) + "\r\n\r\n";
  }

  std::string body;
  AppendCallStackTable(body, options, facts.stack, facts.threadDetails);
  if (options.LogFlags() & kSaveModuleSections) {
    AppendModulesTable(body, options, facts.modules);
    AppendProcessesTable(body, options, facts.processes);
  } else {
    for (TMessageText caption : {mtModulesInformation, mtProcessesInformation})
      body += CaptionWithDashes(options.Text(caption)) + "\r\n\r\n";
  }

  std::string& text = report.text;
  text.reserve(general.size() + body.size() + report.assemblerTitle.size() + report.assemblerListing.size() +
               report.cpuBlock.size() + 8);
  text.append(general).append("\r\n").append(body).append(report.assemblerTitle).append("\r\n");
  text.append(report.assemblerListing).append("\r\n").append(report.cpuBlock);
  report.generalPartLength = general.size();
  report.textToSend = text;
  report.pipelineCopy = text;
}

void Splice(BugReport& report, const std::string& block) {
  const size_t at = report.generalPartLength + 2;  // after the general part and its CR LF
  report.text.insert(std::min(at, report.text.size()), block);
  report.pipelineCopy.insert(std::min(at, report.pipelineCopy.size()), block);
  report.textToSend = report.text;
  report.generalPartLength += block.size();
}

}  // namespace

BugReport ComposeBugReport(const ReportFacts& facts) noexcept {
  BugReport report;
  try {
    if (facts.options) ComposeInto(report, facts);
  } catch (...) {
    // Out of memory: the report keeps what was built; the handling goes on.
  }
  return report;
}

void AppendReportSection(BugReport& report, const std::string& caption,
                         const std::vector<std::pair<std::string, std::string>>& pairs) noexcept {
  if (pairs.empty()) return;
  try {
    TLogItem log(kSectionBase);
    log.AddHeader(caption);
    for (const auto& [name, value] : pairs) log.AddItem(TrimText(name), TrimText(value), true);
    Splice(report, log.BuildText() + "\r\n");
  } catch (...) {
  }
}

void AppendReportText(BugReport& report, const std::string& caption, const std::string& text) noexcept {
  if (text.empty()) return;
  try {
    TLogItem log(kSectionBase);
    log.AddHeader(caption);
    log.AddItem("", text, true);
    Splice(report, log.BuildText() + "\r\n");
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
  variables.emplace_back("_BugReport", report.text);
  variables.emplace_back("_LineBreak", "\r\n");
  return variables;
}

}  // namespace tarvex
