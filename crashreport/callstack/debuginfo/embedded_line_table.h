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

// Names `address` from the table. True when the address lies in a unit of it;
// `entry` then holds ilLine, unit, class, procedure, line and lines into the
// procedure — or only ilModule when the unit is one of the reporter's own and
// `showOwnUnits` is false (it is true while the reporter reports an internal
// error of its own). `memory` is read for the procedure's first code bytes.
bool FindEmbeddedLocation(const TVXEmbeddedLineInfo& module, const MemorySpace& memory, uint32_t address,
                          bool showOwnUnits, TVXStackLocation& entry);

// True when `unitName` (compared without regard to case) is a source file of
// the crash reporter itself; such units are hidden from call stacks.
bool IsReporterOwnUnit(std::string_view unitName);

}  // namespace tarvex
