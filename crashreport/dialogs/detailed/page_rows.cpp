#include "crashreport/dialogs/detailed/page_rows.h"

#include <algorithm>
#include <cctype>

#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/callstack/modules/module_texts.h"
#include "crashreport/callstack/modules/process_info.h"
#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/callstack/stack/stack_text.h"
#include "crashreport/base/options/options.h"
#include "crashreport/report/composer/report_formatters.h"
#include "crashreport/report/composer/report_tables.h"
#include "crashreport/base/util/file_names.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

int8_t IconOfModuleKind(const TTarvexModuleInfo* module) {
  if (module && module->ModuleKind == mkExecutable) return liExecutable;
  if (module && module->ModuleKind == mkPackage) return liPackage;
  return liLibrary;
}

int8_t IconOfFileName(const std::string& fileName) {
  std::string upper = fileName;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  auto endsWith = [&](std::string_view tail) { return upper.ends_with(tail); };
  if (endsWith(".BPL") || endsWith(".DPL")) return liPackage;
  if (endsWith(".EXE")) return liExecutable;
  return liLibrary;
}

bool LeftOutOfList(const TTarvexStackItem& item) {
  return item.InfoLevel == ilUnit && item.ModuleInfo && item.ModuleInfo->ModuleKind == mkExecutable;
}

}  // namespace

std::string ShortVersion(const std::string& version) {
  const size_t firstDot = version.find('.');
  if (firstDot == std::string::npos) return version;
  const size_t secondDot = version.find('.', firstDot + 1);
  if (secondDot == std::string::npos) return version;
  return version.substr(0, secondDot + 1) + "x";
}

std::string KilobytesText(uint32_t bytes) {
  if (bytes == 0) return {};
  return std::to_string((uint64_t{bytes} + 512) / 1024) + " Kb";
}

void FillCallStackRows(TListViewRows& rows, const TTarvexModuleOptions& options, const TTarvexStackList* stack,
                       const std::function<ThreadDetails(uint32_t)>& threadDetails) {
  const TTarvexInfoLevelSet shown = ShownDetailSet(options.CallStackFlags());
  const TTarvexStackItem* previous = nullptr;
  bool firstGroup = true;
  for (int i = 0; stack && i < stack->Count(); ++i) {
    const TTarvexStackItem& item = (*stack)[i];
    if (!shown.Contains(item.InfoLevel) || LeftOutOfList(item)) continue;
    if (OpensStackBlock(previous, item)) {
      if (!firstGroup && item.Tag != 0) rows.AddSeparator();
      const uint8_t kind = (item.Tag != 0 ? hkOwnStack : 0) | (item.IsExceptionPoint == 1 ? hkExceptionEntry : 0);
      rows.AddHeader(ThreadLine(options, item, threadDetails, ThreadLineStyle::Dialog), kind);
      firstGroup = false;
    }
    rows.AddRow(CallStackCells(item), item.InfoLevel == ilLine ? int8_t{liSourceLine} : IconOfModuleKind(item.ModuleInfo),
                i);
    previous = &item;
  }
}

void FillModuleRows(TListViewRows& rows, const TTarvexModulesList* modules) {
  for (int i = 0; modules && i < modules->Count(); ++i) {
    const TTarvexModuleInfo& module = (*modules)[i];
    rows.AddRow({rtl::Format("%08X", module.Handle), ExtractFileName(module.FileName),
                 CollapseControlChars(module.Description),
                 ShortVersion(module.Version), KilobytesText(module.FileSize), FormatFileDate(module.FileDate),
                 FolderForTable(module.FileName)},
                IconOfFileName(module.FileName));
  }
}

void FillProcessRows(TListViewRows& rows, const TTarvexProcessesList* processes) {
  for (int i = 0; processes && i < processes->Count(); ++i) {
    const TTarvexProcessInfo& process = (*processes)[i];
    rows.AddRow({std::to_string(process.ProcessID), ExtractFileName(process.FileName),
                 CollapseControlChars(process.Description),
                 ShortVersion(process.Version), KilobytesText(process.Memory), PriorityClassName(process.PriorityClass),
                 process.Threads == 0 ? "??" : std::to_string(process.Threads), FolderForTable(process.FileName)},
                liExecutable);
  }
}

}  // namespace tarvex
