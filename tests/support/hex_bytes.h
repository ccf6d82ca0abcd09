// Bytes from hex text such as "8B 44 24 08" (test support).
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace tarvex::testsupport {

inline std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::istringstream in(text);
  unsigned value;
  while (in >> std::hex >> value) bytes.push_back(uint8_t(value));
  return bytes;
}

}  // namespace tarvex::testsupport
