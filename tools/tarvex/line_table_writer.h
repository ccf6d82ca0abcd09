// Writes the embedded line table (layout in
// crashreport/callstack/embedded_line_table.h) from a program's lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "program_lines.h"

namespace tarvex::tool {

// Appends line records and stored names in the smallest encoding that holds
// each step.
class LineRecordWriter {
 public:
  LineRecordWriter(std::vector<uint8_t>& out, uint16_t version, std::string_view key)
      : out_(out), version_(version), key_(key) {}

  // One record: covers `addressStep` bytes at the current line, then moves the
  // line by `lineStep`; with `procedure`, a new procedure (its stored name is
  // `procedure`) starts after it. Steps beyond one record are split.
  void Record(uint32_t addressStep, int64_t lineStep, const std::string* procedure = nullptr);
  void StoredName(std::string_view name);

 private:
  void SingleRecord(uint32_t addressStep, int32_t lineStep, bool newProcedure);
  void Word(uint32_t value, int bytes);

  std::vector<uint8_t>& out_;
  uint16_t version_;
  std::string_view key_;
};

// The whole table: one unit per run of consecutive functions of one source
// file, named by the file's base name; a procedure is stored as
// "scope.name" (".name" when the scope repeats the previous one).
std::vector<uint8_t> WriteLineTable(const ProgramLines& program, uint16_t version, std::string_view key);

}  // namespace tarvex::tool
