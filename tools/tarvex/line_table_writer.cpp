#include "line_table_writer.h"

#include <algorithm>

#include "crashreport/callstack/debuginfo/data_key.h"

namespace tarvex::tool {

namespace {

constexpr uint32_t kEscape = 0x0FFEFFFE;  // 32-bit record: two 16-bit steps follow

}  // namespace

void LineRecordWriter::Word(uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<uint8_t>(value >> 8 * i));
}

void LineRecordWriter::StoredName(std::string_view name) {
  // From version 502 every "." starts a continued piece of at most 127 bytes.
  const bool pieces = version_ >= 502;
  const size_t limit = pieces ? 0x7F : 0xFF;
  for (;;) {
    const size_t dot = pieces ? name.find('.') : std::string_view::npos;
    std::string bytes(name.substr(0, std::min(dot, limit)));
    const bool continued = dot != std::string_view::npos;
    out_.push_back(static_cast<uint8_t>(bytes.size() | (continued ? 0x80 : 0)));
    if (version_ < 500) {
      for (char& c : bytes) c = static_cast<char>(c ^ kOldNameXor);
    } else {
      ApplyDataKey(key_, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    }
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    if (!continued) return;
    name.remove_prefix(dot + 1);
  }
}

void LineRecordWriter::SingleRecord(uint32_t a, int32_t l, bool newProcedure) {
  if (!newProcedure && a >= 1 && a <= 32 && l >= 1 && l <= 4) {
    Word((a - 1) << 1 | uint32_t(l - 1) << 6, 1);
  } else if (newProcedure && a >= 1 && a <= 8 && l >= 1 && l <= 8) {
    Word(1 | (a - 1) << 2 | uint32_t(l - 1) << 5, 1);
  } else {
    const uint32_t flags = 3 | (newProcedure ? 4 : 0);
    const uint32_t line = uint32_t(l - 1) & 0xFFFF;
    const uint32_t address = a == 0 ? 0xFFF : a - 1;
    if (a >= 1 && a <= 128 && l >= 1 && l <= 32) {
      Word(flags | (a - 1) << 4 | uint32_t(l - 1) << 11, 2);
    } else if (a <= 4095 && !(version_ >= 423 && (line | address << 16) == kEscape)) {
      Word(flags | 8 | line << 4 | address << 20, 4);
    } else {
      Word(flags | 8 | kEscape << 4, 4);
      Word(line, 2);
      Word(a - 1, 2);
    }
  }
}

void LineRecordWriter::Record(uint32_t addressStep, int64_t lineStep, const std::string* procedure) {
  const uint32_t maxAddress = version_ >= 423 ? 0x10000 : 4095;
  while (addressStep > maxAddress) {  // the current line goes on
    SingleRecord(maxAddress, 0, false);
    addressStep -= maxAddress;
  }
  // Line steps are 16-bit signed; a step of 0 bytes carries the rest of a big one.
  const int32_t first = static_cast<int32_t>(std::clamp<int64_t>(lineStep, -32768, 32767));
  int64_t rest = lineStep - first;
  SingleRecord(addressStep, first, procedure != nullptr && rest == 0);
  while (rest != 0) {
    const int32_t step = static_cast<int32_t>(std::clamp<int64_t>(rest, -32768, 32767));
    rest -= step;
    SingleRecord(0, step, procedure != nullptr && rest == 0);
  }
  if (procedure != nullptr) StoredName(*procedure);
}

std::vector<uint8_t> WriteLineTable(const ProgramLines& program, uint16_t version, std::string_view key) {
  const std::vector<UnitLines> units = GroupIntoUnits(program);
  std::vector<uint8_t> out;
  LineRecordWriter writer(out, version, key);
  if (version >= 405 && version <= 499) out.insert(out.end(), 4, 0);  // nothing to skip
  const uint32_t count = static_cast<uint32_t>(units.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(count >> 8 * i));

  for (const UnitLines& unit : units) {
    const uint32_t firstLine = unit.functions.front()->rows.empty() ? 0 : unit.functions.front()->rows.front().line;
    writer.StoredName(BaseName(unit.file));
    std::vector<uint8_t> records;
    LineRecordWriter recordWriter(records, version, key);
    uint32_t offset = unit.start;
    int64_t line = firstLine;
    const std::string* previousScope = nullptr;
    for (const FunctionLines* function : unit.functions) {
      const bool sameScope = previousScope != nullptr && !function->scope.empty() && *previousScope == function->scope;
      const std::string stored = sameScope ? "." + function->name
                                 : function->scope.empty() ? function->name
                                                           : function->scope + "." + function->name;
      previousScope = &function->scope;
      const int64_t startLine = function->rows.empty() ? line : function->rows.front().line;
      recordWriter.Record(function->start - offset, startLine - line, &stored);
      offset = function->start;
      line = startLine;
      for (size_t r = 1; r < function->rows.size(); ++r) {
        recordWriter.Record(function->rows[r].offset - offset, int64_t(function->rows[r].line) - line);
        offset = function->rows[r].offset;
        line = function->rows[r].line;
      }
    }
    const uint32_t header[] = {firstLine, unit.start, unit.end - unit.start, static_cast<uint32_t>(records.size())};
    for (uint32_t value : header)
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> 8 * i));
    out.insert(out.end(), records.begin(), records.end());
  }
  return out;
}

}  // namespace tarvex::tool
