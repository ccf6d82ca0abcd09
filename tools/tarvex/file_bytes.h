// Whole-file reading and writing for the tool's subcommands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::tool {

// Throw std::runtime_error naming the file when it cannot be read or written.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace tarvex::tool
