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

uint32_t BasePriorityToClass(int32_t base) {
  if (base == 0) return 0;
  if (base < 6) return 64;        // idle
  if (base <= 7) return 0x4000;   // below normal
  if (base <= 9) return 32;       // normal
  if (base <= 12) return 0x8000;  // above normal
  if (base <= 23) return 128;     // high
  return 256;                     // real-time
}

std::string PriorityClassName(uint32_t priorityClass) {
  switch (priorityClass) {
    case 32: return "Normal";
    case 64: return "Low";
    case 128: return "High";
    case 256: return "Real-Time";
    case 0x4000: return "Below-Normal";
    case 0x8000: return "Above-Normal";
    default: return {};
  }
}

std::string SizeToKb(uint32_t bytes) {
  if (bytes == 0) return {};
  uint32_t kb = bytes / 1024;
  const uint32_t rest = bytes % 1024;
  if (rest > 512 || (rest == 512 && kb % 2 == 1)) ++kb;
  return std::to_string(kb) + " Kb";
}

std::string FileVersionText(uint32_t ms, uint32_t ls) {
  if (ms == 0 && ls == 0) return {};
  return rtl::Format("%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
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
