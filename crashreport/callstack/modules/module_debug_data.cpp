#include "crashreport/callstack/modules/module_debug_data.h"

#include <algorithm>

#include "crashreport/callstack/debuginfo/data_key.h"

namespace tarvex {

void SetEmbeddedDebugData(TTarvexModuleInfo& module, const EmbeddedData* data, std::string key) {
  module.DebugVersion = data ? data->version : kTarvexDataVersion;
  std::fill(std::begin(module.DebugHeader), std::end(module.DebugHeader), uint8_t(0));
  module.LineInfo.clear();
  module.DataValid = 1;
  module.DataKey = std::move(key);
  if (!data) return;
  std::copy(data->buildInfo.begin(), data->buildInfo.end(), module.DebugHeader);
  if (data->debugInfo.empty()) return;
  bool valid = false;
  const std::span<const uint8_t> table = LineTableOfBlock(data->debugInfo, module.DataKey, valid);
  module.LineInfo.assign(table.begin(), table.end());
  module.DataValid = valid ? 1 : 0;
}

}  // namespace tarvex
