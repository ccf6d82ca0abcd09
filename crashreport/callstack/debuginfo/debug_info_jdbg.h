// The JDBG source (TVXDebugInfoJedy): the module's "JCLDEBUG" section, or
// "<module>.jdbg" beside it. Layout (offsets from the data start):
//   +0 "JDBG"  +4 u8 version (1)  +5 u32 units  +9 u32 source names
//   +13 u32 symbols  +17 u32 line numbers  +21 u32 names area
//   +29 u32 checksum  +33 u8 checksum present
// Valid data is at least 35 bytes and a multiple of 4 long; with the checksum
// present, the sum of all 32-bit words minus the stored checksum, rotated
// right by 8 bits, equals the stored checksum.
// Tables: variable-length numbers (7 bits a byte, low group first, bit 7 =
// more), accumulated deltas, ended by 0x7FFFFFFF. Units, source names:
// (address, name); symbols: (address, first name, second name); line numbers:
// (address, line). Name value n > 0 is at names area + n - 1: first byte 1 =
// zero-ended string XORed with 0xAA (0xAA bytes kept); else 6-bit codes, four
// to three bytes from the low bits (first byte 2 = "@" then codes; 0 ends,
// 1..10 "0".."9", 11..36 "A".."Z", 37..62 "a".."z", 63 "_"; 255 at most).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/debug_info_source.h"

namespace tarvex {

class TVXBinDebugScanner {
 public:
  TVXBinDebugScanner(std::vector<uint8_t> data, bool cacheData);

  bool ValidFormat() const { return valid_; }

  // Each answers for a section offset; empty / 0 / nullopt when unknown.
  std::optional<uint32_t> ModuleStartFromAddr(uint32_t offset) const;
  std::string ModuleNameFromAddr(uint32_t offset) const;
  std::string SourceNameFromAddr(uint32_t offset) const;
  std::string ProcNameFromAddr(uint32_t offset, uint32_t& distance);
  uint32_t LineNumberFromAddr(uint32_t offset);

  // The name stored for `value` (0 = none).
  std::string DataToName(uint32_t value) const;

 private:
  struct Entry {
    uint32_t Start = 0;
    uint32_t First = 0;   // line, or first name
    uint32_t Second = 0;  // second name of a symbol
  };
  enum Table { kUnits = 5, kSourceNames = 9, kSymbols = 13, kLineNumbers = 17 };

  bool CheckFormat() const;
  // The entry before the first entry (from the table start) above `offset`.
  std::optional<Entry> Lookup(Table table, uint32_t offset) const;
  std::vector<Entry> Decode(Table table) const;
  std::optional<Entry> Cached(std::vector<Entry>& cache, bool& sorted, bool& loaded, Table table, uint32_t offset);

  std::vector<uint8_t> data_;
  bool cacheData_;
  bool valid_ = false;
  std::vector<Entry> lines_, procedures_;
  bool linesLoaded_ = false, proceduresLoaded_ = false;
  bool linesSorted_ = false, proceduresSorted_ = false;
};

class TVXDebugInfoJedy final : public TVXDebugInfoSource {
 public:
  explicit TVXDebugInfoJedy(TVXModuleImage module);

  bool LoadSource() override;
  bool IsValid() const override { return scanner_ != nullptr && scanner_->ValidFormat(); }
  bool FindLocation(uint32_t address, TVXLocationInfo& info) override;

 private:
  bool ReadImageSection(std::vector<uint8_t>& data) const;
  std::unique_ptr<TVXBinDebugScanner> scanner_;
};

}  // namespace tarvex
