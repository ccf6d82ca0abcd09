#include "crashreport/callstack/stack/locate_address.h"

#include "crashreport/callstack/stack/export_name.h"

namespace tarvex {

void LocateAddress(CallStackContext& context, uint32_t address, uint32_t threadID, TTarvexStackItem& item,
                   bool isExceptionPoint, uint8_t tag) {
  item = TTarvexStackItem{};
  item.ModuleInfo = context.modules.FindModuleInfo(address);
  item.Tag = tag;
  item.IsExceptionPoint = isExceptionPoint ? 1 : 0;
  item.ThreadID = threadID;
  item.Address = address;
  TTarvexModuleInfo* module = item.ModuleInfo;
  if (!module) return;
  for (const DebugLookup* source : {context.embedded, context.external})
    if (source && source->Locate(*module, address, item)) return;
  item.InfoLevel = ilModule;
  if (const TTarvexFunctionInfo* function = module->Functions.Find(address, context.functionSize))
    DecodeExportName(function->Name, item);
}

}  // namespace tarvex
