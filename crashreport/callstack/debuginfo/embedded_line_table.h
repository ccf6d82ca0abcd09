// The embedded line table: the compact unit/procedure/line table that the
// build step stores in a module's crash reporter data.
//
// Layout (little-endian; "name" is a stored name, below):
//   [version 405..499: u32 size, then `size` bytes skipped]
//   u32 unit count
//   per unit:  name  u32 first line  u32 start offset  u32 code size
//              u32 byte length of the unit's records, then the records
//   (offsets count from the module's first section, handle + 0x1000)
//
// Records, first byte f (a = address step, l = line step, l is applied as a
// signed 16-bit value; "proc" = a new procedure starts and its name follows):
//   f bit0 = 0              a = f[1..5]+1  l = f[6..7]+1
//   f bits0,1 = 1,0   proc  a = f[2..4]+1  l = f[5..7]+1
//   f bits0,1 = 1,1   proc when f bit2; f bit3 = 0: 16-bit word w (low byte f)
//                           a = w[4..10]+1  l = w[11..15]+1
//                     f bit3 = 1: 32-bit word w (low byte f)
//                           w[4..31] = 0x0FFEFFFE (version >= 423): u16 x, u16 y follow,
//                           l = x+1, a = y+1; else l = w[4..19]+1, a = w[20..31]+1,
//                           w[20..31] = 0xFFF meaning a = 0
// A record covers [offset, offset+a) at the current line in the procedure
// current before it; then offset += a, line += l. The last line runs to the
// unit's end. A procedure name ".Proc" keeps the previous class; "Class.Proc"
// sets both; a leading "@" becomes "_".
//
// Stored name: length byte n, then n bytes. From version 502 bit 7 of n means
// "." and another stored name follow (n & 0x7F bytes). Bytes are XORed with
// kOldNameXor below version 500, enciphered with the data key from 500 on, and
// shown as "?" + Base64 of the stored bytes when the data failed its check.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "crashreport/callstack/debuginfo/location_info.h"
#include "crashreport/callstack/pe/memory_space.h"

namespace tarvex {

// What a module record holds of its embedded debug information.
struct TVXEmbeddedLineInfo {
  std::span<const uint8_t> LineInfo;  // the line table (after the block's key check)
  uint16_t DebugVersion = 0;
  std::string_view DataKey;
  bool DataValid = true;
  uint32_t ModuleHandle = 0;
};

inline constexpr uint32_t kFirstSectionOffset = 0x1000;

// A module's line table decoded once into per-unit address ranges, so that
// naming an address is a binary search rather than a walk over the records.
// Built at a module's first lookup; names are deciphered while building.
// Corrupt data ends the decoding where it becomes unreadable: a unit whose
// header cannot be read ends the unit list, a record that cannot be read ends
// its unit's ranges, and no range is made past that point.
class EmbeddedLineIndex {
 public:
  EmbeddedLineIndex() = default;
  explicit EmbeddedLineIndex(const TVXEmbeddedLineInfo& module);

  // Names `address`. True when the address lies in a unit of the table;
  // `entry` then holds ilLine, unit, class, procedure, line and lines into the
  // procedure — or only ilModule when the unit is one of the reporter's own
  // and `showOwnUnits` is false (it is true while the reporter reports an
  // internal error of its own). `memory` is read for the procedure's first code bytes.
  bool Find(const MemorySpace& memory, uint32_t address, bool showOwnUnits, TVXStackLocation& entry) const;

  // Bytes the index holds (its arrays and names), for sizing.
  size_t MemoryUsed() const;

 private:
  struct Text {  // a name in texts_
    uint32_t offset = 0, length = 0;
  };
  struct Unit {
    Text name;
    uint32_t start = 0, size = 0;  // offsets from the first section
    uint32_t firstRange = 0, rangeCount = 0;
    bool Holds(uint32_t offset) const { return size != 0 && offset >= start && offset - start < size; }
  };
  struct Procedure {
    Text className, name;
    uint32_t start = 0;  // offset of its first code byte
    int32_t line = 0;    // its first line
  };
  // [start, end) at one line of one procedure; ranges of a unit are sorted and
  // do not overlap. 16 bytes: lines are kept to 32 bits, as they are reported.
  struct Range {
    uint32_t start = 0, end = 0;
    int32_t line = 0;
    uint32_t procedure = 0;
  };
  friend class EmbeddedTableDecoder;

  Text Keep(std::string_view text);
  std::string_view View(Text text) const { return std::string_view(texts_).substr(text.offset, text.length); }
  const Unit* UnitOf(uint32_t offset) const;

  uint32_t moduleHandle_ = 0;
  std::string texts_;
  std::vector<Unit> units_;  // in table order: a unit nested in an earlier one follows it
  std::vector<Procedure> procedures_;
  std::vector<Range> ranges_;
};

// Names `address` from the table once, without keeping an index (see
// EmbeddedLineIndex::Find).
bool FindEmbeddedLocation(const TVXEmbeddedLineInfo& module, const MemorySpace& memory, uint32_t address,
                          bool showOwnUnits, TVXStackLocation& entry);

// True when `unitName` (compared without regard to case) is a source file of
// the crash reporter itself; such units are hidden from call stacks.
bool IsReporterOwnUnit(std::string_view unitName);

}  // namespace tarvex
