#include "crashreport/callstack/stack/debug_lookups.h"

#include "crashreport/callstack/debuginfo/debug_info_source.h"
#include "crashreport/callstack/debuginfo/embedded_line_table.h"
#include "crashreport/callstack/debuginfo/location_info.h"

namespace tarvex {

namespace {

void SetNames(const TVXStackLocation& location, TTarvexStackItem& item) {
  item.InfoLevel = location.InfoLevel;
  item.UnitName = location.UnitName;
  item.ClassName = location.ClassName;
  item.ProcedureName = location.ProcedureName;
  item.Line = location.Line;
  item.LinesIntoProc = location.LinesIntoProc;
}

}  // namespace

bool EmbeddedLineTableLookup::Locate(TTarvexModuleInfo& module, uint32_t address, TTarvexStackItem& item) const {
  if (module.LineInfo.empty()) return false;
  if (!module.LineIndex) {
    const TVXEmbeddedLineInfo table{module.LineInfo, module.DebugVersion, module.DataKey, module.DataValid != 0,
                                    module.Handle};
    module.LineIndex = std::make_unique<EmbeddedLineIndex>(table);
  }
  TVXStackLocation location;
  if (!module.LineIndex->Find(memory_, address, false, location)) return false;
  SetNames(location, item);
  return true;
}

bool ExternalSourceLookup::Locate(TTarvexModuleInfo& module, uint32_t address, TTarvexStackItem& item) const {
  TVXLocationInfo info;
  if (!module.DebugSource || !module.DebugSource->FindLocation(address, info)) return false;
  SetNames(StackLocationFromExternal(info, true), item);
  return true;
}

}  // namespace tarvex
