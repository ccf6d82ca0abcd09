#include "crashreport/callstack/debuginfo/debug_info_source.h"

#include <fstream>
#include <iterator>

#include "crashreport/callstack/debuginfo/debug_info_jdbg.h"
#include "crashreport/callstack/debuginfo/debug_info_map.h"
#include "crashreport/callstack/debuginfo/debug_info_td32.h"

namespace tarvex {

namespace {

template <typename Source>
std::unique_ptr<TVXDebugInfoSource> TrySource(const TVXModuleImage& module) {
  auto source = std::make_unique<Source>(module);
  if (!source->IsValid()) source.reset();
  return source;
}

}  // namespace

std::unique_ptr<TVXDebugInfoSource> LoadDebugSource(const TVXModuleImage& module) {
  if (auto map = TrySource<TVXDebugInfoMap>(module)) return map;
  if (auto td32 = TrySource<TVXDebugInfoTD32>(module)) return td32;
  return TrySource<TVXDebugInfoJedy>(module);
}

bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (fileName.empty()) return false;
  try {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
  } catch (const std::exception&) {  // out of memory for a huge file
    bytes.clear();
    return false;
  }
}

}  // namespace tarvex
