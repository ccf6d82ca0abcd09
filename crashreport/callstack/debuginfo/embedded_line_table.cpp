#include "crashreport/callstack/debuginfo/embedded_line_table.h"

#include "crashreport/callstack/pe/byte_cursor.h"
#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/core/util/base64.h"

namespace tarvex {

namespace {

// Pieces of a continued name beyond this are corrupt data, not names.
constexpr int kMaxNamePieces = 64;

struct UnitHeader {
  std::string name;
  int64_t firstLine = 0;
  uint32_t start = 0;
  uint32_t size = 0;
  uint32_t recordsLength = 0;
  size_t recordsPosition = 0;

  bool Holds(uint32_t offset) const { return size != 0 && offset >= start && offset - start < size; }
};

struct LineRecord {
  uint32_t addressStep = 0;
  int16_t lineStep = 0;
  bool newProcedure = false;
};

class EmbeddedTableReader {
 public:
  EmbeddedTableReader(const TVXEmbeddedLineInfo& module) : module_(module), cursor_(module.LineInfo) {}

  bool Find(const MemorySpace& memory, uint32_t address, bool showOwnUnits, TVXStackLocation& entry);

 private:
  std::string ReadStoredName();
  bool ReadHeader(UnitHeader& header);
  bool ReadRecord(LineRecord& record);
  bool WalkRecords(const UnitHeader& unit, const MemorySpace& memory, uint32_t offset, TVXStackLocation& entry);

  const TVXEmbeddedLineInfo& module_;
  ByteCursor cursor_;
};

std::string EmbeddedTableReader::ReadStoredName() {
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

bool EmbeddedTableReader::ReadHeader(UnitHeader& header) {
  header.name = ReadStoredName();
  header.firstLine = cursor_.U32();
  header.start = cursor_.U32();
  header.size = cursor_.U32();
  header.recordsLength = cursor_.U32();
  header.recordsPosition = cursor_.Position();
  if (header.name.find('.') == std::string::npos && module_.DataValid) header.name += ".pas";
  return cursor_.Ok();
}

bool EmbeddedTableReader::ReadRecord(LineRecord& record) {
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

// True when the procedure's first line counts as is (a frame-building
// prologue, or the unit's initialization); otherwise it counts one less.
bool FirstLineCountsAsIs(const MemorySpace& memory, uint32_t codeAddress, const std::string& procedure) {
  if (procedure == "Finalization") return false;
  if (procedure == "Initialization") return true;
  uint8_t code[3];
  if (!ReadMemory(memory, codeAddress, code, 1)) return false;
  if (code[0] == 0x53) return true;  // push ebx
  // push ebp; mov ebp, esp — in either encoding of the move.
  return code[0] == 0x55 && ReadMemory(memory, codeAddress, code, 3) &&
         ((code[1] == 0x8B && code[2] == 0xEC) || (code[1] == 0x89 && code[2] == 0xE5));
}

bool EmbeddedTableReader::WalkRecords(const UnitHeader& unit, const MemorySpace& memory, uint32_t offset,
                                      TVXStackLocation& entry) {
  const uint64_t end = uint64_t(unit.recordsPosition) + unit.recordsLength;
  if (end > cursor_.Size() || !cursor_.Seek(unit.recordsPosition)) return false;  // records cut off
  uint64_t current = unit.start;
  int64_t line = unit.firstLine;
  std::string className, procedure;
  uint64_t procedureStart = unit.start;
  int64_t procedureLine = unit.firstLine;
  bool found = false;

  while (cursor_.Position() < end) {
    LineRecord record;
    if (!ReadRecord(record)) return false;
    std::string newClass, newProcedure;
    if (record.newProcedure) {
      std::string name = ReadStoredName();
      if (!cursor_.Ok()) return false;
      const size_t dot = name.find('.');
      if (dot == 0) {
        newClass = className;
        newProcedure = name.substr(1);
      } else if (dot != std::string::npos) {
        newClass = name.substr(0, dot);
        newProcedure = name.substr(dot + 1);
      } else {
        newProcedure = std::move(name);
      }
      if (!newProcedure.empty() && newProcedure[0] == '@') newProcedure[0] = '_';
    }
    if (offset >= current && offset < current + record.addressStep) {
      found = true;
      break;
    }
    current += record.addressStep;
    line += record.lineStep;
    if (record.newProcedure) {
      className = std::move(newClass);
      procedure = std::move(newProcedure);
      procedureStart = current;
      procedureLine = line;
    }
  }
  if (!found && !(offset >= current && offset < uint64_t(unit.start) + unit.size)) return false;

  const uint32_t procedureAddress = module_.ModuleHandle + kFirstSectionOffset + static_cast<uint32_t>(procedureStart);
  const int64_t firstLine = FirstLineCountsAsIs(memory, procedureAddress, procedure) ? procedureLine : procedureLine - 1;
  entry.InfoLevel = ilLine;
  entry.UnitName = unit.name;
  entry.ClassName = std::move(className);
  entry.ProcedureName = std::move(procedure);
  entry.Line = static_cast<uint32_t>(line);
  entry.LinesIntoProc = line > firstLine ? static_cast<uint32_t>(line - firstLine) : 0;
  return true;
}

bool EmbeddedTableReader::Find(const MemorySpace& memory, uint32_t address, bool showOwnUnits,
                               TVXStackLocation& entry) {
  const uint32_t offset = address - module_.ModuleHandle - kFirstSectionOffset;
  if (module_.DebugVersion >= 405 && module_.DebugVersion <= 499 && !cursor_.Skip(cursor_.U32())) return false;
  const uint32_t count = cursor_.U32();
  if (!cursor_.Ok()) return false;

  for (uint32_t i = 0; i < count; ++i) {
    UnitHeader unit;
    if (!ReadHeader(unit)) return false;
    if (!unit.Holds(offset)) {
      if (!cursor_.Seek(unit.recordsPosition) || !cursor_.Skip(unit.recordsLength)) return false;
      continue;
    }
    // A unit nested in this one (it follows in the table) wins.
    UnitHeader chosen = unit;
    uint64_t next = uint64_t(unit.recordsPosition) + unit.recordsLength;
    for (uint32_t j = i + 1; j < count; ++j) {
      UnitHeader follower;
      if (!cursor_.Seek(next) || !ReadHeader(follower)) break;
      const bool inside = unit.Holds(follower.start);
      if (follower.Holds(offset)) chosen = follower;
      if (!inside) break;
      next = uint64_t(follower.recordsPosition) + follower.recordsLength;
    }
    TVXStackLocation found;
    if (!WalkRecords(chosen, memory, offset, found)) return false;
    if (!showOwnUnits && IsReporterOwnUnit(found.UnitName)) {
      found = TVXStackLocation();
      found.InfoLevel = ilModule;
    }
    entry = std::move(found);
    return true;
  }
  return false;
}

}  // namespace

bool FindEmbeddedLocation(const TVXEmbeddedLineInfo& module, const MemorySpace& memory, uint32_t address,
                          bool showOwnUnits, TVXStackLocation& entry) {
  return EmbeddedTableReader(module).Find(memory, address, showOwnUnits, entry);
}

}  // namespace tarvex
