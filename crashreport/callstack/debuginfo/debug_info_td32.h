// The TD32 source (TVXDebugInfoTD32): TD32 data in the loaded image (found
// through the debug data directory) or in "<module>.tds" beside it.
//
// A block ends in a signature "FB09"/"FB0A" and a u32 distance d back to the
// same signature, where the data starts. From there: +4 u32 offset of the
// first subsection directory. Directory: u16 header size, u16 entry size (12),
// u32 entry count, u32 next directory (0 ends), entries from +16:
// u16 type, u16 module index, u32 offset, u32 size. Types read:
//   0x120 module:  +4 u16 segment count, +8 u32 name, from +28 12-byte
//                  segments (+4 offset, +8 size)
//   0x125 symbols: records from +4: u16 length (not counting itself), u16 type
//   0x127 source module: u16 file count, from +4 u32 file entry offsets;
//                  file entry: u16 n, u32 name, n u32 line table offsets,
//                  n (u32 start, u32 end); line table: u16 segment, u16 k,
//                  k u32 offsets, k u16 lines
//   0x130 names:   u32 count, then per name: u8 length, bytes, 0
// Name index 0 means no name; names are numbered from 1.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/debug_info_source.h"

namespace tarvex {

struct TVXLineInfo {
  uint32_t LineNo = 0;
  uint32_t Offset = 0;
};

struct TVXModuleInfo {
  struct Segment {
    uint32_t Offset = 0;
    uint32_t Size = 0;
  };
  uint32_t NameIndex = 0;
  std::vector<Segment> Segments;
};

struct TVXSourceModuleInfo {
  struct Range {
    uint32_t Start = 0;
    uint32_t End = 0;
  };
  uint32_t NameIndex = 0;
  std::vector<TVXLineInfo> Lines;
  std::vector<Range> Segments;
  // The line at `offset`: an exact match, else the entry before the first one
  // above it whose predecessor lies below it; false past the last entry.
  bool FindLine(uint32_t offset, TVXLineInfo& line) const;
};

// Symbols, one class per record type kept.
struct TVXSymbolInfo {
  explicit TVXSymbolInfo(uint16_t type) : SymbolType(type) {}
  virtual ~TVXSymbolInfo() = default;
  uint16_t SymbolType;
};
struct TVXProcSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t NameIndex = 0, Offset = 0, Size = 0;
};
struct TVXLocalProcSymbolInfo : TVXProcSymbolInfo { using TVXProcSymbolInfo::TVXProcSymbolInfo; };
struct TVXGlobalProcSymbolInfo : TVXProcSymbolInfo { using TVXProcSymbolInfo::TVXProcSymbolInfo; };
struct TVXDataSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t TypeIndex = 0, NameIndex = 0, Offset = 0;
};
struct TVXLDataSymbolInfo : TVXDataSymbolInfo { using TVXDataSymbolInfo::TVXDataSymbolInfo; };
struct TVXGDataSymbolInfo : TVXDataSymbolInfo { using TVXDataSymbolInfo::TVXDataSymbolInfo; };
struct TVXPublicSymbolInfo : TVXDataSymbolInfo { using TVXDataSymbolInfo::TVXDataSymbolInfo; };
struct TVXObjNameSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t NameIndex = 0, Signature = 0;
};
struct TVXWithSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t NameIndex = 0, Offset = 0, Size = 0;
};
struct TVXLabelSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t NameIndex = 0, Offset = 0;
};
struct TVXConstantSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t NameIndex = 0, TypeIndex = 0, Value = 0;
};
struct TVXUdtSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t NameIndex = 0, TypeIndex = 0, Properties = 0;
};
struct TVXVftPathSymbolInfo : TVXSymbolInfo {
  using TVXSymbolInfo::TVXSymbolInfo;
  uint32_t RootIndex = 0, PathIndex = 0, Offset = 0;
};

// True when `block` is TD32 data (see the header comment); `data` is then the
// part from the start signature to the end.
bool IsTD32DebugInfoValid(std::span<const uint8_t> block, std::span<const uint8_t>* data = nullptr);

class TVXTD32InfoParser {
 public:
  explicit TVXTD32InfoParser(std::vector<uint8_t> block);
  bool ValidData() const { return valid_; }

  std::string Name(uint32_t index) const;  // "" for 0 or out of range
  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<TVXModuleInfo>& Modules() const { return modules_; }
  const std::vector<TVXSourceModuleInfo>& SourceModules() const { return sourceModules_; }
  const std::vector<std::unique_ptr<TVXSymbolInfo>>& Symbols() const { return symbols_; }

 private:
  bool Analyse(std::span<const uint8_t> data);
  bool ReadNames(std::span<const uint8_t> sub);
  bool ReadModule(std::span<const uint8_t> sub);
  bool ReadSymbols(std::span<const uint8_t> sub);
  bool ReadSourceModule(std::span<const uint8_t> sub);

  std::vector<uint8_t> block_;
  bool valid_ = false;
  std::vector<std::string> names_;
  std::vector<TVXModuleInfo> modules_;
  std::vector<TVXSourceModuleInfo> sourceModules_;
  std::vector<std::unique_ptr<TVXSymbolInfo>> symbols_;
};

// The lookups over a parsed block.
class TVXTD32InfoScanner : public TVXTD32InfoParser {
 public:
  using TVXTD32InfoParser::TVXTD32InfoParser;

  std::string ModuleNameFromAddr(uint32_t offset) const;
  const TVXProcSymbolInfo* ProcSymbolFromAddr(uint32_t offset) const;
  std::string ProcNameFromAddr(uint32_t offset, uint32_t& distance) const;
  const TVXSourceModuleInfo* SourceModuleFromAddr(uint32_t offset) const;
  uint32_t LineNumberFromAddr(uint32_t offset) const;
};

// The TD32 block of a loaded image: through the debug data directory to the
// section at that address, and its first debug directory entry's data.
class TVXPeBorTD32Image {
 public:
  TVXPeBorTD32Image(const MemorySpace& memory, uint32_t handle);
  bool IsTD32DebugPresent() const { return present_; }
  std::vector<uint8_t>& Block() { return block_; }

 private:
  std::vector<uint8_t> block_;
  bool present_ = false;
};

class TVXDebugInfoTD32 final : public TVXDebugInfoSource {
 public:
  explicit TVXDebugInfoTD32(TVXModuleImage module);

  bool LoadSource() override;
  bool IsValid() const override { return scanner_ != nullptr && scanner_->ValidData(); }
  bool FindLocation(uint32_t address, TVXLocationInfo& info) override;

 private:
  std::unique_ptr<TVXTD32InfoScanner> scanner_;
};

// A TD32 procedure name as a stack shows it: leading "@" removed, the text
// from the first "$" (and an "@" right before it) cut, "@" turned into ".",
// ".." into ".@", and a leading unit name (any case) with its separator removed.
std::string CleanTD32ProcName(std::string name, const std::string& unitName);

}  // namespace tarvex
