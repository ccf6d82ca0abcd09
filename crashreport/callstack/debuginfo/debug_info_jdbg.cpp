#include "crashreport/callstack/debuginfo/debug_info_jdbg.h"

#include <algorithm>
#include <cstring>

#include "crashreport/callstack/pe/byte_cursor.h"
#include "crashreport/callstack/pe/module_stream.h"
#include "crashreport/callstack/pe/pe_image.h"
#include "crashreport/base/util/little_endian.h"

namespace tarvex {

namespace {

constexpr uint32_t kEndOfTable = 0x7FFFFFFF;
constexpr size_t kMinimumSize = 35;
constexpr size_t kNamesArea = 21;
constexpr size_t kChecksum = 29;
constexpr size_t kChecksumPresent = 33;
constexpr size_t kMaxNameLength = 255;

uint32_t U32At(const std::vector<uint8_t>& data, size_t at) {
  ByteCursor cursor(data, at);
  return cursor.U32();
}

// A variable-length number; false at the end of the data.
bool ReadNumber(ByteCursor& cursor, uint32_t& value) {
  value = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    const uint8_t byte = cursor.U8();
    if (!cursor.Ok()) return false;
    value |= uint32_t(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;  // more than five groups: corrupt
}

char SixBitChar(uint32_t code) {
  if (code <= 10) return static_cast<char>('0' + code - 1);
  if (code <= 36) return static_cast<char>('A' + code - 11);
  if (code <= 62) return static_cast<char>('a' + code - 37);
  return '_';
}

// Walks a table of accumulated tuples; `visit` returns false to stop.
template <typename Visit>
void WalkTable(const std::vector<uint8_t>& data, size_t start, int width, Visit visit) {
  ByteCursor cursor(data, start);
  if (!cursor.Ok()) return;
  uint32_t values[3] = {};
  for (;;) {
    uint32_t delta;
    if (!ReadNumber(cursor, delta) || delta == kEndOfTable) return;
    values[0] += delta;
    for (int i = 1; i < width; ++i) {
      if (!ReadNumber(cursor, delta)) return;
      values[i] += delta;
    }
    if (!visit(values[0], values[1], values[2])) return;
  }
}

}  // namespace

TVXBinDebugScanner::TVXBinDebugScanner(std::vector<uint8_t> data, bool cacheData)
    : data_(std::move(data)), cacheData_(cacheData) {
  valid_ = CheckFormat();
}

bool TVXBinDebugScanner::CheckFormat() const {
  if (data_.size() < kMinimumSize || data_.size() % 4 != 0) return false;
  if (std::memcmp(data_.data(), "JDBG", 4) != 0 || data_[4] != 1) return false;
  if (data_[kChecksumPresent] == 0) return true;
  uint32_t sum = 0;
  for (size_t i = 0; i < data_.size(); i += 4) sum += U32At(data_, i);
  const uint32_t stored = U32At(data_, kChecksum);
  const uint32_t rest = sum - stored;
  return (rest >> 8 | rest << 24) == stored;
}

std::string TVXBinDebugScanner::DataToName(uint32_t value) const {
  if (value == 0) return {};
  const uint64_t at = uint64_t(U32At(data_, kNamesArea)) + value - 1;
  if (at >= data_.size()) return {};
  ByteCursor cursor(data_, at);
  std::string name;
  uint8_t first = cursor.U8();
  if (first == 1) {
    for (uint8_t c; name.size() < kMaxNameLength && (c = cursor.U8()) != 0 && cursor.Ok();)
      name += static_cast<char>(c == 0xAA ? c : c ^ 0xAA);
    return name;
  }
  if (first == 2) name = "@";
  else cursor.Seek(at);
  while (name.size() < kMaxNameLength) {
    uint8_t bytes[3];
    cursor.Read(bytes, 3);  // a short last group reads as zero codes
    const uint32_t group = static_cast<uint32_t>(LittleEndian(bytes));
    for (int i = 0; i < 4; ++i) {
      const uint32_t code = group >> 6 * i & 0x3F;
      if (code == 0 || name.size() >= kMaxNameLength) return name;
      name += SixBitChar(code);
    }
  }
  return name;
}

std::optional<TVXBinDebugScanner::Entry> TVXBinDebugScanner::Lookup(Table table, uint32_t offset) const {
  if (!valid_) return std::nullopt;
  std::optional<Entry> found;
  const int width = table == kSymbols ? 3 : 2;
  WalkTable(data_, U32At(data_, table), width, [&](uint32_t start, uint32_t first, uint32_t second) {
    if (start > offset) return false;
    found = Entry{start, first, second};
    return true;
  });
  return found;
}

std::vector<TVXBinDebugScanner::Entry> TVXBinDebugScanner::Decode(Table table) const {
  std::vector<Entry> entries;
  entries.reserve(64);
  const int width = table == kSymbols ? 3 : 2;
  WalkTable(data_, U32At(data_, table), width, [&](uint32_t start, uint32_t first, uint32_t second) {
    if (entries.size() == entries.capacity()) entries.reserve(entries.size() + entries.size() / 4);
    entries.push_back({start, first, second});
    return true;
  });
  return entries;
}

std::optional<TVXBinDebugScanner::Entry> TVXBinDebugScanner::Cached(std::vector<Entry>& cache, bool& sorted,
                                                                      bool& loaded, Table table, uint32_t offset) {
  if (!cacheData_) return Lookup(table, offset);
  if (!valid_) return std::nullopt;
  if (!loaded) {
    cache = Decode(table);
    sorted = std::is_sorted(cache.begin(), cache.end(), [](const Entry& a, const Entry& b) { return a.Start < b.Start; });
    loaded = true;
  }
  auto atOrBelow = [offset](const Entry& entry) { return entry.Start <= offset; };
  const auto first = sorted ? std::partition_point(cache.begin(), cache.end(), atOrBelow)
                            : std::find_if_not(cache.begin(), cache.end(), atOrBelow);
  if (first == cache.begin()) return std::nullopt;
  return *(first - 1);
}

std::optional<uint32_t> TVXBinDebugScanner::ModuleStartFromAddr(uint32_t offset) const {
  const auto unit = Lookup(kUnits, offset);
  return unit ? std::optional<uint32_t>(unit->Start) : std::nullopt;
}

std::string TVXBinDebugScanner::ModuleNameFromAddr(uint32_t offset) const {
  const auto unit = Lookup(kUnits, offset);
  return unit ? DataToName(unit->First) : std::string();
}

std::string TVXBinDebugScanner::SourceNameFromAddr(uint32_t offset) const {
  const auto unitStart = ModuleStartFromAddr(offset);
  const auto source = Lookup(kSourceNames, offset);
  return unitStart && source && source->Start >= *unitStart ? DataToName(source->First) : std::string();
}

std::string TVXBinDebugScanner::ProcNameFromAddr(uint32_t offset, uint32_t& distance) {
  distance = 0;
  const auto unitStart = ModuleStartFromAddr(offset);
  const auto symbol = Cached(procedures_, proceduresSorted_, proceduresLoaded_, kSymbols, offset);
  if (!unitStart || !symbol || symbol->Start < *unitStart) return {};
  distance = offset - symbol->Start;
  std::string name = DataToName(symbol->First);
  if (symbol->Second != 0) name += "." + DataToName(symbol->Second);
  return name;
}

uint32_t TVXBinDebugScanner::LineNumberFromAddr(uint32_t offset) {
  const auto unitStart = ModuleStartFromAddr(offset);
  const auto line = Cached(lines_, linesSorted_, linesLoaded_, kLineNumbers, offset);
  return unitStart && line && line->Start >= *unitStart ? line->First : 0;
}

// ---- source ----------------------------------------------------------------

TVXDebugInfoJedy::TVXDebugInfoJedy(TVXModuleImage module) : TVXDebugInfoSource(std::move(module)) { LoadSource(); }

bool TVXDebugInfoJedy::ReadImageSection(std::vector<uint8_t>& data) const {
  if (Module().Memory == nullptr) return false;
  const TVXPeImage image(*Module().Memory, Module().Handle);
  TVXPeSection section;
  if (!image.FindSection("JCLDEBUG", section)) return false;
  const uint32_t size = std::min(section.VirtualSize, section.RawSize);
  THModuleStream stream(*Module().Memory, Module().Handle + section.VirtualAddress, size);
  return stream.ReadBlock(0, size, data);
}

bool TVXDebugInfoJedy::LoadSource() {
  std::vector<uint8_t> data;
  if (!ReadImageSection(data) && !ReadWholeFile(ChangeFileExt(Module().FileName, ".jdbg"), data)) return false;
  scanner_ = std::make_unique<TVXBinDebugScanner>(std::move(data), /*cacheData=*/true);
  return true;
}

bool TVXDebugInfoJedy::FindLocation(uint32_t address, TVXLocationInfo& info) {
  if (!IsValid()) return false;
  const uint32_t offset = SectionOffset(address);
  if (!scanner_->ModuleStartFromAddr(offset)) return false;
  uint32_t distance = 0;
  info.Address = address;
  info.UnitName = scanner_->ModuleNameFromAddr(offset);
  info.QualifiedName = scanner_->ProcNameFromAddr(offset, distance);
  info.Line = static_cast<int32_t>(scanner_->LineNumberFromAddr(offset));
  info.SourceFile = scanner_->SourceNameFromAddr(offset);
  info.LinesFromProcStart = info.Line - static_cast<int32_t>(scanner_->LineNumberFromAddr(offset - distance));
  info.Source = this;
  return true;
}

}  // namespace tarvex
