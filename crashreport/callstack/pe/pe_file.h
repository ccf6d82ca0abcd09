// The section layout of a PE32 module file, read from the file's bytes
// (the headers are parsed by pe_headers.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarvex {

struct PeSection {
  std::string name;  // up to 8 characters; "/N" names point into the symbol string table
  uint32_t virtualAddress = 0;  // relative to the image base
  uint32_t virtualSize = 0;
  uint32_t fileOffset = 0;
  uint32_t fileSize = 0;  // bytes present in the file (raw size clipped to the virtual size)
  uint32_t characteristics = 0;

  static constexpr uint32_t kContainsCode = 0x00000020;
  static constexpr uint32_t kExecutable = 0x20000000;
  bool IsCode() const { return (characteristics & (kContainsCode | kExecutable)) != 0; }
};

struct PeLayout {
  uint32_t imageBase = 0;  // the preferred load address
  std::vector<PeSection> sections;
};

// Reads the layout; throws rtl::EReadError when the bytes are not a PE32 file
// or a section's data lies outside them.
PeLayout ReadPeLayout(std::span<const uint8_t> file);

}  // namespace tarvex
