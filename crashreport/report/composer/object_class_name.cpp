#include "crashreport/report/composer/object_class_name.h"

#include <algorithm>
#include <cctype>

namespace tarvex {

namespace {

constexpr uint32_t kNameLimit = 256;

bool IsReadOnly(const MemorySpace& memory, uint32_t address) {
  MemoryRegion region;
  if (!memory.QueryRegion(address, region) || region.state != kMemCommit) return false;
  return region.protect == kPageReadOnly || region.protect == kPageWriteCopy;
}

// Reads one "<length><name>" at `at`; false when there is none.
bool ReadSourceName(const std::string& mangled, size_t& at, std::string& name) {
  size_t length = 0;
  const size_t start = at;
  while (at < mangled.size() && std::isdigit(static_cast<unsigned char>(mangled[at])) && at - start < 4)
    length = length * 10 + size_t(mangled[at++] - '0');
  if (at == start || length == 0 || length > mangled.size() - at) return false;
  name = mangled.substr(at, length);
  at += length;
  return true;
}

}  // namespace

std::string ClassNameOfMangledName(const std::string& mangled) {
  size_t at = 0;
  std::string name;
  if (!mangled.starts_with("N")) return ReadSourceName(mangled, at, name) && at == mangled.size() ? name : "";
  at = 1;
  while (at < mangled.size() && mangled[at] != 'E')
    if (!ReadSourceName(mangled, at, name)) return {};
  return at + 1 == mangled.size() ? name : "";
}

std::string ObjectClassName(const MemorySpace& memory, uint32_t address) {
  uint32_t table = 0, typeInfo = 0, typeInfoTable = 0, nameAddress = 0;
  int32_t offsetToTop = -1;
  if (!ReadValue(memory, address, table) || table < 8 || !IsReadOnly(memory, table - 8)) return {};
  if (!ReadValue(memory, table - 8, offsetToTop) || offsetToTop != 0) return {};
  if (!ReadValue(memory, table - 4, typeInfo) || !ReadValue(memory, typeInfo, typeInfoTable) || typeInfoTable == 0)
    return {};
  if (!ReadValue(memory, typeInfo + 4, nameAddress)) return {};
  char bytes[kNameLimit];
  const uint32_t readable = std::min(ReadableBytes(memory, nameAddress, kNameLimit), kNameLimit);
  if (readable == 0) return {};
  memory.CopyReadable(nameAddress, bytes, readable);
  std::string mangled;
  for (uint32_t i = 0; i < readable; ++i) {
    if (bytes[i] == 0) return ClassNameOfMangledName(mangled);
    mangled += bytes[i];
  }
  return {};  // no end within the limit: not a name
}

}  // namespace tarvex
