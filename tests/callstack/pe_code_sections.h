// Reads the code sections of a 32-bit PE file from disk (test support).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::testsupport {

struct CodeSection {
  std::string name;
  uint32_t address = 0;        // image base + section RVA
  std::vector<uint8_t> bytes;  // raw data, cut to the section's virtual size
};

// The executable sections of a PE32 file, in file order. Throws
// std::runtime_error when the file cannot be read or is no PE32 image.
std::vector<CodeSection> ReadCodeSections(const std::string& path);

}  // namespace tarvex::testsupport
