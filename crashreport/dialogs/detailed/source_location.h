// Where a call-stack entry's code is, as the detailed dialog hands it to a
// development environment that listens for it: activating a row of the Call
// Stack page sends the row's entry to every listener found.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvex {

struct TTarvexStackItem;

// The record, 376 bytes, numbers little-endian:
//   offset  size  field
//        0    90  module file name   text fields: zero-terminated, cut at 89 characters,
//       90    90  unit               the rest of the field zero
//      180    90  class
//      270    90  procedure
//      360     4  address
//      364     4  line                0 when unknown
//      368     4  lines into the procedure
//      372     4  id of the process that sends it
inline constexpr size_t kSourceLocationTextSize = 90;
inline constexpr size_t kSourceLocationRecordSize = 4 * kSourceLocationTextSize + 4 * 4;
using SourceLocationRecord = std::array<uint8_t, kSourceLocationRecordSize>;

SourceLocationRecord MakeSourceLocationRecord(const TTarvexStackItem& entry, uint32_t processId);

// The mailslot a listening development environment of that process reads.
std::string SourceLocationMailslot(uint32_t listenerProcessId);

}  // namespace tarvex
