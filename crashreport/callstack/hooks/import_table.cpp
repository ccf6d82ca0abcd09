#include "crashreport/callstack/hooks/import_table.h"

#include <string>

namespace tarvex {

namespace {

// Guards against endless walks over damaged tables.
constexpr uint32_t kMaxDescriptors = 4096;
constexpr uint32_t kMaxTableEntries = 65536;
constexpr uint32_t kMaxNameLength = 260;

bool ReadName(const MemorySpace& memory, uint32_t address, std::string& name) {
  name.clear();
  for (char c; name.size() < kMaxNameLength; name += c) {
    if (!ReadValue(memory, address + uint32_t(name.size()), c)) return false;
    if (c == '\0') return true;
  }
  return false;
}

}  // namespace

bool SameModuleName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

ImportScan FindImportSlots(const MemorySpace& memory, uint32_t module, std::string_view importedModule,
                           uint32_t routine, std::vector<uint32_t>& slots) {
  uint16_t mz;
  uint32_t ntOffset, signature;
  if (!IsReadableBlock(memory, module, 64) || !ReadValue(memory, module, mz) || mz != 0x5A4D ||
      !ReadValue(memory, module + 0x3C, ntOffset))
    return ImportScan::kBadImage;
  const uint32_t nt = module + ntOffset;
  if (!IsReadableBlock(memory, nt, 248) || !ReadValue(memory, nt, signature) || signature != 0x00004550)
    return ImportScan::kBadImage;
  uint32_t directory, directorySize;
  if (!ReadValue(memory, nt + 0x80, directory) || !ReadValue(memory, nt + 0x84, directorySize))
    return ImportScan::kBadImage;
  if (directory == 0 || directorySize == 0) return ImportScan::kNoImportDirectory;

  std::string name;
  for (uint32_t i = 0; i < kMaxDescriptors; ++i) {
    uint32_t descriptor[5];  // original table, time stamp, forwarder chain, name, address table
    if (!ReadMemory(memory, module + directory + 20 * i, descriptor, sizeof descriptor)) break;
    if (descriptor[3] == 0 && descriptor[4] == 0) break;
    if (!ReadName(memory, module + descriptor[3], name) || !SameModuleName(name, importedModule)) continue;
    for (uint32_t slot = module + descriptor[4], n = 0; n < kMaxTableEntries; ++n, slot += 4) {
      uint32_t entry;
      if (!ReadValue(memory, slot, entry) || entry == 0) break;
      if (entry == routine) slots.push_back(slot);
    }
  }
  return ImportScan::kScanned;
}

}  // namespace tarvex
