#include "crashreport/dialogs/detailed/source_location.h"

#include <algorithm>
#include <string_view>

#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/little_endian.h"

namespace tarvex {

namespace {

void PutText(SourceLocationRecord& record, size_t field, std::string_view text) {
  const size_t length = std::min(text.size(), kSourceLocationTextSize - 1);
  std::copy_n(text.begin(), length, record.begin() + field * kSourceLocationTextSize);
}

void PutNumber(SourceLocationRecord& record, size_t field, uint32_t value) {
  const size_t at = 4 * kSourceLocationTextSize + field * 4;
  PutLittleEndian32(&record[at], value);
}

}  // namespace

SourceLocationRecord MakeSourceLocationRecord(const TTarvexStackItem& entry, uint32_t processId) {
  SourceLocationRecord record{};
  PutText(record, 0, entry.ModuleInfo ? ExtractFileName(entry.ModuleInfo->FileName) : std::string());
  PutText(record, 1, entry.UnitName.view());
  PutText(record, 2, entry.ClassName.view());
  PutText(record, 3, entry.ProcedureName.view());
  PutNumber(record, 0, entry.Address);
  PutNumber(record, 1, entry.Line);
  PutNumber(record, 2, entry.LinesIntoProc);
  PutNumber(record, 3, processId);
  return record;
}

std::string SourceLocationMailslot(uint32_t listenerProcessId) {
  return "\\\\.\\mailslot\\TarvexLog" + std::to_string(listenerProcessId);
}

}  // namespace tarvex
