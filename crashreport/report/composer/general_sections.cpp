#include "crashreport/report/composer/general_sections.h"

#include "crashreport/base/options/options.h"
#include "crashreport/report/composer/exception_id.h"
#include "crashreport/report/composer/log_item.h"
#include "crashreport/report/composer/report_formatters.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/time_span.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

// "file.exe - (Description)", or the file name alone without a description.
std::string ModuleText(const ReportModule& module) {
  const std::string description(TrimText(module.description));
  std::string text = ExtractFileName(module.fileName);
  if (!description.empty()) text += " - (" + description + ")";
  return text;
}

// The show-option bit of a system fact's label text. User items print
// Company before Privileges, whose bits are the other way round.
int ShowBitOfSystemFact(TMessageText labelText) {
  switch (labelText) {
    case mtUserCompany: return 20;
    case mtUserPrivileges: return 19;
    default: break;
  }
  if (labelText <= mtUserEmail) return labelText - mtUserID + 16;      // User: bits 16..18
  if (labelText <= mtPrinter) return labelText - mtComputerName + 25;  // Computer: bits 25..35
  if (labelText <= mtOsCharset) return labelText - mtOsType + 36;      // Operating System: bits 36..40
  return labelText - mtIPAddress + 41;                                 // Network: bits 41..46
}

}  // namespace

std::string CommandLineParameters(const std::string& commandLine, const std::string& programPath) {
  const std::string_view line = TrimText(commandLine);
  // Where the program's name ends: its quotes, the program's own path (blanks
  // and all), or else the first blank (a relative or other spelling).
  size_t end = 0;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    end = close == std::string_view::npos ? line.size() : close + 1;
  } else if (SameTextIgnoringCase(line.substr(0, programPath.size()), programPath)) {
    end = programPath.size();
  } else {
    end = std::min(line.size(), line.find(' '));
  }
  return std::string(TrimText(line.substr(end)));
}

GeneralValues ComputeGeneralValues(const ReportFacts& facts) {
  GeneralValues values;
  values.mainModule = ModuleText(facts.mainModule);
  if (facts.exceptionModule) values.exceptionModule = ModuleText(*facts.exceptionModule);
  values.exceptionMessage = facts.exceptionMessage;
  if (values.exceptionMessage.empty() || values.exceptionMessage.back() != '.') values.exceptionMessage += '.';
  values.exceptionID = ComputeExceptionID(values.mainModule, values.exceptionModule, facts.exceptionType, facts.stack);
  return values;
}

std::string BuildGeneralSections(const ReportFacts& facts, const GeneralValues& values) {
  const TTarvexModuleOptions& options = *facts.options;
  const uint64_t shown = options.ReportFields();
  auto visible = [shown](int bit) { return (shown >> bit & 1) != 0; };
  TLogItem log(0);
  auto item = [&](TMessageText labelText, const std::string& value, int bit) {
    log.AddItem(options.Text(labelText), value, visible(bit));
  };

  log.AddHeader(options.Text(mtApplication));
  item(mtStartDate, FormatMailDate(facts.startTime, facts.zoneHours), 0);
  item(mtNameDescription, values.mainModule, 1);
  item(mtVersionNumber, facts.mainModule.version, 2);
  item(mtParameters, CommandLineParameters(facts.commandLine, facts.mainModule.fileName), 3);
  item(mtCompilationDate,
       facts.compileTime == 0 ? std::string()
                              : FormatMailDate(facts.compileTime + facts.zoneHours / 24.0, facts.zoneHours),
       4);
  item(mtUpTime, FormatTimeSpan(facts.exceptionTime - facts.startTime), 5);

  log.AddHeader(options.Text(mtException));
  item(mtExceptionDate, FormatMailDate(facts.exceptionTime, facts.zoneHours), 6);
  item(mtExceptionAddress,
       facts.exceptionAddress == 0 ? std::string() : rtl::Format("%08X", facts.exceptionAddress), 7);
  item(mtExceptionModuleName, values.exceptionModule, 8);
  item(mtExceptionModuleVersion, facts.exceptionModule ? facts.exceptionModule->version : std::string(), 9);
  item(mtExceptionType, facts.exceptionType, 10);
  item(mtExceptionMessage, values.exceptionMessage, 11);
  item(mtExceptionID, values.exceptionID, 12);
  item(mtExceptionCount, "1", 13);
  item(mtExceptionStatus, "New", 14);
  item(mtExceptionNote, "", 15);

  const std::vector<SystemFactSection> system = ReportOrder(facts.system);
  auto systemSection = [&](const SystemFactSection& section) {
    log.AddHeader(options.Text(section.captionText));
    for (const SystemFactItem& fact : section.items) item(fact.labelText, *fact.value, ShowBitOfSystemFact(fact.labelText));
  };
  systemSection(system[0]);  // User

  log.AddHeader(options.Text(mtActiveControls));
  auto control = [&](TMessageText labelText, const std::string& value, int bit) {
    log.AddItem(options.Text(labelText), value, visible(bit) && facts.showsActiveControls);
  };
  control(mtFormClass, facts.foregroundClass, 21);
  control(mtFormText, CollapseControlChars(facts.foregroundText.substr(0, 255)), 22);
  control(mtControlClass, facts.focusClass, 23);
  control(mtControlText, CollapseControlChars(facts.focusText), 24);

  for (size_t i = 1; i < system.size(); ++i) systemSection(system[i]);
  return log.BuildText();
}

}  // namespace tarvex
