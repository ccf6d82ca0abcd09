#include "crashreport/callstack/debuginfo/embedded_line_table.h"

#include <algorithm>
#include <iterator>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/callstack/pe/byte_cursor.h"
#include "crashreport/base/util/base64.h"

namespace tarvex {

namespace {

// Pieces of a continued name beyond this are corrupt data, not names.
constexpr int kMaxNamePieces = 64;

// Offsets are 32-bit: a range reaching past the last one is cut there.
constexpr uint64_t kLastOffset = 0xFFFFFFFF;

struct UnitHeader {
  std::string name;
  int64_t firstLine = 0;
  uint32_t start = 0;
  uint32_t size = 0;
  uint32_t recordsLength = 0;
  size_t recordsPosition = 0;
};

struct LineRecord {
  uint32_t addressStep = 0;
  int16_t lineStep = 0;
  bool newProcedure = false;
};

}  // namespace

// Reads the table's units, names and records into an EmbeddedLineIndex.
class EmbeddedTableDecoder {
 public:
  EmbeddedTableDecoder(const TVXEmbeddedLineInfo& module, EmbeddedLineIndex& index)
      : module_(module), index_(index), cursor_(module.LineInfo) {}

  void DecodeUnits();

 private:
  std::string ReadStoredName();
  bool ReadHeader(UnitHeader& header);
  bool ReadRecord(LineRecord& record);
  void DecodeRecords(const UnitHeader& header);

  const TVXEmbeddedLineInfo& module_;
  EmbeddedLineIndex& index_;
  ByteCursor cursor_;
};

std::string EmbeddedTableDecoder::ReadStoredName() {
  const uint16_t version = module_.DebugVersion;
  std::string name;
  for (int piece = 0; piece < kMaxNamePieces; ++piece) {
    uint8_t length = cursor_.U8();
    const bool continued = version >= 502 && (length & 0x80) != 0;
    if (version >= 502) length &= 0x7F;
    std::string bytes = cursor_.Text(length);
    if (!cursor_.Ok()) return name;
    if (!module_.DataValid) {
      bytes = "?" + Base64Encode(bytes);
    } else if (version < 500) {
      for (char& c : bytes) c = static_cast<char>(c ^ kOldNameXor);
    } else {
      ApplyDataKey(module_.DataKey, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    }
    name += bytes;
    if (!continued) break;
    name += '.';
  }
  return name;
}

bool EmbeddedTableDecoder::ReadHeader(UnitHeader& header) {
  header.name = ReadStoredName();
  header.firstLine = cursor_.U32();
  header.start = cursor_.U32();
  header.size = cursor_.U32();
  header.recordsLength = cursor_.U32();
  header.recordsPosition = cursor_.Position();
  if (header.name.find('.') == std::string::npos && module_.DataValid) header.name += ".pas";
  return cursor_.Ok();
}

bool EmbeddedTableDecoder::ReadRecord(LineRecord& record) {
  const uint8_t f = cursor_.U8();
  uint32_t lineStep;
  if ((f & 1) == 0) {
    record.newProcedure = false;
    record.addressStep = (f >> 1 & 0x1F) + 1;
    lineStep = (f >> 6) + 1;
  } else if ((f & 2) == 0) {
    record.newProcedure = true;
    record.addressStep = (f >> 2 & 0x07) + 1;
    lineStep = (f >> 5) + 1;
  } else {
    record.newProcedure = (f & 4) != 0;
    if ((f & 8) == 0) {
      const uint32_t word = f | uint32_t(cursor_.U8()) << 8;
      record.addressStep = (word >> 4 & 0x7F) + 1;
      lineStep = (word >> 11) + 1;
    } else {
      const uint32_t word = f | uint32_t(cursor_.U8()) << 8 | uint32_t(cursor_.U16()) << 16;
      if (module_.DebugVersion >= 423 && word >> 4 == 0x0FFEFFFE) {
        lineStep = uint32_t(cursor_.U16()) + 1;
        record.addressStep = uint32_t(cursor_.U16()) + 1;
      } else {
        lineStep = (word >> 4 & 0xFFFF) + 1;
        const uint32_t address = word >> 20;
        record.addressStep = address == 0xFFF ? 0 : address + 1;
      }
    }
  }
  record.lineStep = static_cast<int16_t>(static_cast<uint16_t>(lineStep));
  return cursor_.Ok();
}

void EmbeddedTableDecoder::DecodeUnits() {
  if (module_.DebugVersion >= 405 && module_.DebugVersion <= 499 && !cursor_.Skip(cursor_.U32())) return;
  const uint32_t count = cursor_.U32();
  for (uint32_t i = 0; i < count && cursor_.Ok(); ++i) {
    UnitHeader header;
    if (!ReadHeader(header)) return;
    // Records running past the table's end: nothing from here on can be read.
    if (uint64_t(header.recordsPosition) + header.recordsLength > cursor_.Size()) return;
    DecodeRecords(header);
    cursor_ = ByteCursor(module_.LineInfo, uint64_t(header.recordsPosition) + header.recordsLength);
  }
}

// A record covers [offset, offset + a) at the current line, in the procedure
// current before it; a record that starts a procedure switches to it after
// its own range. The last line runs to the unit's end.
void EmbeddedTableDecoder::DecodeRecords(const UnitHeader& header) {
  using Index = EmbeddedLineIndex;
  Index::Unit unit{index_.Keep(header.name), header.start, header.size, uint32_t(index_.ranges_.size()), 0};
  const size_t end = header.recordsPosition + header.recordsLength;
  uint64_t current = header.start;
  int64_t line = header.firstLine;
  uint32_t procedure = uint32_t(index_.procedures_.size());
  index_.procedures_.push_back({{}, {}, header.start, int32_t(line)});
  auto addRange = [&](uint64_t rangeEnd) {
    if (rangeEnd > current && current <= kLastOffset)
      index_.ranges_.push_back(
          {uint32_t(current), uint32_t(std::min<uint64_t>(rangeEnd, kLastOffset)), int32_t(line), procedure});
  };

  bool complete = true;
  while (cursor_.Position() < end) {
    LineRecord record;
    if (!ReadRecord(record)) {
      complete = false;
      break;
    }
    Index::Procedure next;
    if (record.newProcedure) {
      std::string name = ReadStoredName();
      if (!cursor_.Ok()) {
        complete = false;
        break;
      }
      // "Class.Proc" sets both, ".Proc" keeps the class, "Proc" has none.
      const size_t dot = name.find('.');
      std::string_view procedureName = name;
      if (dot == 0) next.className = index_.procedures_[procedure].className;
      if (dot != 0 && dot != std::string::npos) next.className = index_.Keep(std::string_view(name).substr(0, dot));
      if (dot != std::string::npos) procedureName.remove_prefix(dot + 1);
      std::string shown(procedureName);
      if (!shown.empty() && shown[0] == '@') shown[0] = '_';
      next.name = index_.Keep(shown);
    }
    addRange(current + record.addressStep);
    current += record.addressStep;
    line += record.lineStep;
    if (record.newProcedure) {
      next.start = uint32_t(current);
      next.line = int32_t(line);
      procedure = uint32_t(index_.procedures_.size());
      index_.procedures_.push_back(next);
    }
  }
  if (complete) addRange(uint64_t(header.start) + header.size);
  unit.rangeCount = uint32_t(index_.ranges_.size()) - unit.firstRange;
  index_.units_.push_back(unit);
}

namespace {

// True when the procedure's first line counts as is (a frame-building
// prologue, or the unit's initialization); otherwise it counts one less.
bool FirstLineCountsAsIs(const MemorySpace& memory, uint32_t codeAddress, std::string_view procedure) {
  if (procedure == "Finalization") return false;
  if (procedure == "Initialization") return true;
  uint8_t code[3];
  if (!ReadMemory(memory, codeAddress, code, 1)) return false;
  if (code[0] == 0x53) return true;  // push ebx
  // push ebp; mov ebp, esp — in either encoding of the move.
  return code[0] == 0x55 && ReadMemory(memory, codeAddress, code, 3) &&
         ((code[1] == 0x8B && code[2] == 0xEC) || (code[1] == 0x89 && code[2] == 0xE5));
}

}  // namespace

EmbeddedLineIndex::EmbeddedLineIndex(const TVXEmbeddedLineInfo& module) : moduleHandle_(module.ModuleHandle) {
  EmbeddedTableDecoder(module, *this).DecodeUnits();
  texts_.shrink_to_fit();
  units_.shrink_to_fit();
  procedures_.shrink_to_fit();
  ranges_.shrink_to_fit();
}

EmbeddedLineIndex::Text EmbeddedLineIndex::Keep(std::string_view text) {
  const Text kept{uint32_t(texts_.size()), uint32_t(text.size())};
  texts_.append(text);
  return kept;
}

// The first unit in table order that holds the offset, unless a unit that
// follows it, nested in it, holds the offset too: the last such one wins.
const EmbeddedLineIndex::Unit* EmbeddedLineIndex::UnitOf(uint32_t offset) const {
  for (size_t i = 0; i < units_.size(); ++i) {
    if (!units_[i].Holds(offset)) continue;
    const Unit* chosen = &units_[i];
    for (size_t j = i + 1; j < units_.size(); ++j) {
      if (units_[j].Holds(offset)) chosen = &units_[j];
      if (!units_[i].Holds(units_[j].start)) break;
    }
    return chosen;
  }
  return nullptr;
}

bool EmbeddedLineIndex::Find(const MemorySpace& memory, uint32_t address, bool showOwnUnits,
                             TVXStackLocation& entry) const {
  const uint32_t offset = address - moduleHandle_ - kFirstSectionOffset;
  const Unit* unit = UnitOf(offset);
  if (unit == nullptr) return false;
  const auto first = ranges_.begin() + unit->firstRange, last = first + unit->rangeCount;
  const auto after = std::upper_bound(first, last, offset, [](uint32_t at, const Range& r) { return at < r.start; });
  if (after == first || offset >= std::prev(after)->end) return false;
  const Range& range = *std::prev(after);

  entry = TVXStackLocation();
  if (!showOwnUnits && IsReporterOwnUnit(View(unit->name))) {
    entry.InfoLevel = ilModule;
    return true;
  }
  const Procedure& procedure = procedures_[range.procedure];
  const std::string_view procedureName = View(procedure.name);
  const uint32_t procedureAddress = moduleHandle_ + kFirstSectionOffset + procedure.start;
  const int64_t firstLine =
      FirstLineCountsAsIs(memory, procedureAddress, procedureName) ? procedure.line : int64_t(procedure.line) - 1;
  entry.InfoLevel = ilLine;
  entry.UnitName = View(unit->name);
  entry.ClassName = View(procedure.className);
  entry.ProcedureName = procedureName;
  entry.Line = static_cast<uint32_t>(range.line);
  entry.LinesIntoProc = range.line > firstLine ? static_cast<uint32_t>(range.line - firstLine) : 0;
  return true;
}

size_t EmbeddedLineIndex::MemoryUsed() const {
  return sizeof *this + texts_.capacity() + units_.capacity() * sizeof(Unit) +
         procedures_.capacity() * sizeof(Procedure) + ranges_.capacity() * sizeof(Range);
}

bool FindEmbeddedLocation(const TVXEmbeddedLineInfo& module, const MemorySpace& memory, uint32_t address,
                          bool showOwnUnits, TVXStackLocation& entry) {
  return EmbeddedLineIndex(module).Find(memory, address, showOwnUnits, entry);
}

}  // namespace tarvex
