#include "crashreport/callstack/stack/stack_text.h"

#include "crashreport/callstack/modules/module_info.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

std::string ModuleFileName(const TTarvexStackItem& item) {
  return item.ModuleInfo ? item.ModuleInfo->FileName : std::string();
}

std::string WithoutPath(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NameAndLine(const TTarvexStackItem& item) {
  return rtl::Format("%s - %s - %s - %s[%s]", item.UnitName.str().c_str(), item.ClassName.str().c_str(),
                     item.ProcedureName.str().c_str(), std::to_string(item.Line).c_str(),
                     std::to_string(item.LinesIntoProc).c_str());
}

}  // namespace

TTarvexInfoLevelSet ShownDetailSet(uint32_t callStackOptions) {
  TTarvexInfoLevelSet shown{ilLine};
  if (callStackOptions & kShowProcedures) shown.Include(ilProcedure);
  if (callStackOptions & kShowUnits) shown.Include(ilUnit);
  return shown;
}

std::string DescribeStackItem(const TTarvexStackItem& item) {
  return rtl::Format("$%8.8x - [%8.8x] %s - ", item.Address, item.ModuleHandle(), ModuleFileName(item).c_str()) +
         NameAndLine(item);
}

std::string FormatCallStackDump(const TTarvexStackList& list) {
  std::string text;
  for (int i = 0; i < list.Count(); ++i) {
    const TTarvexStackItem& item = list[i];
    if (i > 0) text += std::string(12, ' ');
    const std::string details = item.Line != 0 ? "- " + NameAndLine(item) : std::string();
    text += rtl::Format("%s $%8.8x - [%8.8x] %s %s\r\n", rtl::Format("%2.2x", unsigned(i)).c_str(), item.Address,
                        item.ModuleHandle(), WithoutPath(ModuleFileName(item)).c_str(), details.c_str());
  }
  return text;
}

}  // namespace tarvex
