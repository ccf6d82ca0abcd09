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
int ShowBitOfSystemFact(int labelText) {
  switch (labelText) {
    case 59: return 20;
    case 60: return 19;
  }
  if (labelText <= 58) return labelText - 40;  // User 56..58: bits 16..18
  if (labelText <= 77) return labelText - 42;  // Computer 67..77: bits 25..35
  if (labelText <= 83) return labelText - 43;  // Operating System 79..83: bits 36..40
  return labelText - 44;                       // Network 85..90: bits 41..46
}

}  // namespace

std::string CommandLineParameters(const std::string& commandLine, const std::string& programPath) {
  std::string line(TrimText(commandLine));
  if (!line.empty() && line[0] == '"') {
    line.erase(0, 1);
    const size_t close = line.find('"');
    if (close != std::string::npos) line.erase(close, 1);
  }
  line.erase(0, std::min(line.size(), programPath.size() + 1));
  return std::string(TrimText(line));
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
  auto item = [&](int labelText, const std::string& value, int bit) {
    log.AddItem(options.Text(labelText), value, visible(bit));
  };

  log.AddHeader(options.Text(37));
  item(38, FormatMailDate(facts.startTime, facts.zoneHours), 0);
  item(39, values.mainModule, 1);
  item(40, facts.mainModule.version, 2);
  item(41, CommandLineParameters(facts.commandLine, facts.mainModule.fileName), 3);
  item(42, facts.compileTime == 0 ? std::string() : FormatMailDate(facts.compileTime + facts.zoneHours / 24.0, facts.zoneHours), 4);
  item(43, FormatTimeSpan(facts.exceptionTime - facts.startTime), 5);

  log.AddHeader(options.Text(44));
  item(45, FormatMailDate(facts.exceptionTime, facts.zoneHours), 6);
  item(46, facts.exceptionAddress == 0 ? std::string() : rtl::Format("%08X", facts.exceptionAddress), 7);
  item(47, values.exceptionModule, 8);
  item(48, facts.exceptionModule ? facts.exceptionModule->version : std::string(), 9);
  item(49, facts.exceptionType, 10);
  item(50, values.exceptionMessage, 11);
  item(51, values.exceptionID, 12);
  item(52, "1", 13);
  item(53, "New", 14);
  item(54, "", 15);

  const std::vector<SystemFactSection> system = ReportOrder(facts.system);
  auto systemSection = [&](const SystemFactSection& section) {
    log.AddHeader(options.Text(section.captionText));
    for (const SystemFactItem& fact : section.items) item(fact.labelText, *fact.value, ShowBitOfSystemFact(fact.labelText));
  };
  systemSection(system[0]);  // User

  log.AddHeader(options.Text(61));
  auto control = [&](int labelText, const std::string& value, int bit) {
    log.AddItem(options.Text(labelText), value, visible(bit) && facts.showsActiveControls);
  };
  control(62, facts.foregroundClass, 21);
  control(63, CollapseControlChars(facts.foregroundText.substr(0, 255)), 22);
  control(64, facts.focusClass, 23);
  control(65, CollapseControlChars(facts.focusText), 24);

  for (size_t i = 1; i < system.size(); ++i) systemSection(system[i]);
  return log.BuildText();
}

}  // namespace tarvex
