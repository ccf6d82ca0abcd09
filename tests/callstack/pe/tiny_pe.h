// A minimal PE32 file for tests (header-only test support).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace tarvex::testsupport {

// Headers at 0x40; image base 0x00400000; two sections: ".text" at RVA
// 0x1000 with 0x20 raw bytes at file offset 0x200 (all zero) of which the
// first 0x18 are inside its virtual size, and ".bss" at RVA 0x2000 with none.
inline std::vector<uint8_t> TinyPe() {
  std::vector<uint8_t> file(0x220, 0);
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&file[at], &v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  put16(0, 0x5A4D);
  put32(0x3C, 0x40);
  put32(0x40, 0x4550);
  put16(0x44, 0x14C);      // i386
  put16(0x46, 2);          // sections
  put16(0x54, 0xE0);       // optional header size
  put16(0x58, 0x10B);      // PE32
  put32(0x58 + 28, 0x00400000);
  const size_t table = 0x58 + 0xE0;
  std::memcpy(&file[table], ".text", 5);
  put32(table + 8, 0x18);  // virtual size below the raw size
  put32(table + 12, 0x1000);
  put32(table + 16, 0x20);
  put32(table + 20, 0x200);
  put32(table + 36, 0x60000020);
  std::memcpy(&file[table + 40], ".bss", 4);
  put32(table + 40 + 8, 0x100);
  put32(table + 40 + 12, 0x2000);
  put32(table + 40 + 36, 0xC0000080);  // data, read and write
  return file;
}

}  // namespace tarvex::testsupport
