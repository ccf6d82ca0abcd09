#include "crashreport/report/composer/report_tables.h"

#include <vector>

#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/callstack/modules/module_texts.h"
#include "crashreport/callstack/modules/process_info.h"
#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/callstack/stack/stack_text.h"
#include "crashreport/base/options/options.h"
#include "crashreport/report/composer/report_formatters.h"
#include "crashreport/report/composer/text_table.h"
#include "crashreport/base/util/file_names.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

// The column captions: the texts `first` to `last`.
std::vector<std::string> Captions(const TTarvexModuleOptions& options, TMessageText first, TMessageText last) {
  std::vector<std::string> captions;
  for (int text = first; text <= last; ++text) captions.push_back(options.Text(text));
  return captions;
}

std::string Hex8(uint32_t value) { return rtl::Format("%08X", value); }

}  // namespace

std::vector<std::string> CallStackCells(const TTarvexStackItem& item) {
  const std::string module =
      item.InfoLevel == ilNone || !item.ModuleInfo ? std::string() : ExtractFileName(item.ModuleInfo->FileName);
  const std::string line =
      item.Line != 0 ? std::to_string(item.Line) + "[" + std::to_string(item.LinesIntoProc) + "]" : std::string();
  return {Hex8(item.Address), module, item.UnitName.str(), item.ClassName.str(), item.ProcedureName.str(), line};
}

std::string ThreadLine(const TTarvexModuleOptions& options, const TTarvexStackItem& item,
                       const std::function<ThreadDetails(uint32_t)>& threadDetails, ThreadLineStyle style) {
  const std::string mark = style == ThreadLineStyle::Report ? "*" : "";
  std::string role = item.Tag == 0              ? options.Text(mtCallingThread)
                     : item.IsExceptionPoint == 1 ? mark + options.Text(mtExceptionThread)
                                                  : options.Text(mtRunningThread);
  const ThreadDetails details = threadDetails ? threadDetails(item.ThreadID) : ThreadDetails{};
  const int id = static_cast<int32_t>(item.ThreadID) < 0 ? 0 : static_cast<int>(item.ThreadID);
  std::string line = role + ": " +
                     rtl::Format("%s=%d; %s=%s", options.Text(mtThreadID).c_str(), id,
                                 options.Text(mtThreadPriority).c_str(), details.priority.c_str());
  if (style == ThreadLineStyle::Report || !details.className.empty())
    line += rtl::Format("; %s=%s", options.Text(mtThreadClass).c_str(), details.className.c_str());
  if (details.isMainThread) line += "; [" + options.Text(mtMainThread) + "]";
  return line;
}

bool OpensStackBlock(const TTarvexStackItem* previous, const TTarvexStackItem& item) {
  return !previous || item.ThreadID != previous->ThreadID || item.Tag != previous->Tag ||
         item.IsExceptionPoint == 1;
}

namespace {

std::string LeakLine(const TTarvexModuleOptions& options, const TTarvexStackItem& item) {
  const std::string type = item.LeakType.str() == "Data" ? options.Text(mtLeakData) : item.LeakType.str();
  return "+" + rtl::Format("%s: %s=%s; %s=%d; %s=%d", options.Text(mtMemoryLeak).c_str(),
                           options.Text(mtLeakType).c_str(), type.c_str(), options.Text(mtLeakTotalSize).c_str(),
                           int(item.LeakSize), options.Text(mtLeakCount).c_str(), int(item.LeakCount));
}

}  // namespace

std::string FolderForTable(const std::string& fileName) {
  std::string folder = fileName;
  if (folder.rfind("\\??\\", 0) == 0) folder.erase(0, 4);
  const size_t slash = folder.find_last_of('\\');
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  if (!folder.empty() && !(folder.size() >= 2 && folder[folder.size() - 2] == ':')) folder.pop_back();
  return folder;
}

void AppendCallStackTable(std::string& out, const TTarvexModuleOptions& options, const TTarvexStackList* stack,
                          const std::function<ThreadDetails(uint32_t)>& threadDetails) {
  const TTarvexInfoLevelSet shown = ShownDetailSet(options.CallStackFlags());
  std::vector<const TTarvexStackItem*> items;
  std::vector<std::vector<std::string>> rows;
  TextTable table(Captions(options, mtStackAddress, mtStackLine), {8});
  for (int i = 0; stack && i < stack->Count(); ++i) {
    const TTarvexStackItem& item = (*stack)[i];
    if (!shown.Contains(item.InfoLevel)) continue;
    items.push_back(&item);
    rows.push_back(CallStackCells(item));
    for (size_t c = 0; c < rows.back().size(); ++c) table.Widen(c, rows.back()[c].size());
  }
  out.reserve(out.size() + (table.TotalWidth() + 2) * (2 * items.size() + 8));
  table.AppendHead(out, options.Text(mtCallStackInformation));
  const std::string dashes(table.TotalWidth() - 2, '-');
  for (size_t i = 0; i < items.size(); ++i) {
    const TTarvexStackItem& item = *items[i];
    if (OpensStackBlock(i == 0 ? nullptr : items[i - 1], item)) {
      if (i > 0) {
        table.AppendWideRow(out, dashes);
        if (item.Tag != 0) table.AppendWideRow(out, {});
      }
      table.AppendWideRow(out, item.IsLeak ? LeakLine(options, item) : ThreadLine(options, item, threadDetails, ThreadLineStyle::Report));
      table.AppendWideRow(out, dashes);
    }
    table.AppendRow(out, rows[i]);
  }
  table.AppendFoot(out);
}

void AppendModulesTable(std::string& out, const TTarvexModuleOptions& options, const TTarvexModulesList* modules) {
  TextTable table(Captions(options, mtModuleHandle, mtModulePath), {8});
  std::vector<std::vector<std::string>> rows;
  const int count = modules ? modules->Count() : 0;
  for (int i = 0; i < count; ++i) {
    const TTarvexModuleInfo& module = (*modules)[i];
    rows.push_back({Hex8(module.Handle), SanitizeCell(ExtractFileName(module.FileName)),
                    SanitizeCell(module.Description), SanitizeCell(module.Version), std::to_string(module.FileSize),
                    FormatFileDate(module.FileDate), SanitizeCell(FolderForTable(module.FileName))});
    for (size_t c = 1; c < rows.back().size(); ++c) table.Widen(c, rows.back()[c].size());
  }
  // The handle fills its column with leading zeros.
  for (int i = 0; i < count; ++i) rows[i][0] = rtl::Format("%0*X", int(table.Width(0)), (*modules)[i].Handle);
  out.reserve(out.size() + (table.TotalWidth() + 2) * (rows.size() + 6));
  table.AppendHead(out, options.Text(mtModulesInformation));
  for (const auto& row : rows) table.AppendRow(out, row);
  table.AppendFoot(out);
}

void AppendProcessesTable(std::string& out, const TTarvexModuleOptions& options,
                          const TTarvexProcessesList* processes) {
  TextTable table(Captions(options, mtProcessID, mtProcessPath));
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; processes && i < processes->Count(); ++i) {
    const TTarvexProcessInfo& process = (*processes)[i];
    rows.push_back({std::to_string(process.ProcessID), SanitizeCell(ExtractFileName(process.FileName)),
                    SanitizeCell(process.Description), SanitizeCell(process.Version), std::to_string(process.Memory),
                    PriorityClassName(process.PriorityClass),
                    process.Threads == 0 ? "??" : std::to_string(process.Threads),
                    SanitizeCell(FolderForTable(process.FileName))});
    for (size_t c = 0; c < rows.back().size(); ++c) table.Widen(c, rows.back()[c].size());
  }
  out.reserve(out.size() + (table.TotalWidth() + 2) * (rows.size() + 6));
  table.AppendHead(out, options.Text(mtProcessesInformation));
  for (const auto& row : rows) table.AppendRow(out, row);
  table.AppendFoot(out);
}

}  // namespace tarvex
