// The whole contents of a file that is sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarvex {

// Nothing when the file cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// The size of the file; nothing when it cannot be opened.
std::optional<uint64_t> FileSize(const std::string& path);

}  // namespace tarvex
