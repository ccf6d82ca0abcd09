#include "crashreport/report/composer/exception_id.h"

#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/base/util/crc16.h"
#include "rtl/format.h"

namespace tarvex {

std::string ComputeExceptionID(std::string_view mainModuleText, std::string_view exceptionModuleText,
                               std::string_view exceptionType, const TTarvexStackList* stack) {
  std::string key;
  key.append(mainModuleText).append(exceptionModuleText).append(exceptionType);
  if (stack && stack->Count() > 0) {
    const uint32_t thread = (*stack)[0].ThreadID;
    for (int i = 0; i < stack->Count(); ++i) {
      const TTarvexStackItem& item = (*stack)[i];
      if (item.InfoLevel != ilLine || item.ThreadID != thread) continue;
      key.append(item.UnitName.str()).append(item.ClassName.str()).append(item.ProcedureName.str());
      key.append(std::to_string(item.LinesIntoProc));
    }
  }
  return rtl::Format("%04X", unsigned(Crc16Xmodem(key)));
}

}  // namespace tarvex
