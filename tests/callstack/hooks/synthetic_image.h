// A small PE32 image as the loader maps it, with an import directory, for
// tests of the import-table code (test support).
//
//   +0x000 "MZ", +0x3C -> 0x40     +0x040 "PE\0\0", file and optional headers
//   +0x200 import descriptors      +0x400 module names    +0x600 address tables
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::testsupport {

struct SyntheticImport {
  std::string module;
  std::vector<uint32_t> entries;  // routine addresses in the address table
};

struct SyntheticImage {
  std::vector<uint8_t> bytes;                  // 0x1000 bytes
  std::vector<std::vector<uint32_t>> tables;   // RVA of each entry, per import
};

// Without imports the image has no import directory.
SyntheticImage BuildSyntheticImage(const std::vector<SyntheticImport>& imports);

}  // namespace tarvex::testsupport
