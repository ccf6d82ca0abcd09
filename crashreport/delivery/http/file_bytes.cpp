#include "crashreport/delivery/http/file_bytes.h"

#include <fstream>
#include <iterator>

namespace tarvex {

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
  return bytes;
}

std::optional<uint64_t> FileSize(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return std::nullopt;
  const auto end = file.tellg();
  if (end < 0) return std::nullopt;
  return static_cast<uint64_t>(end);
}

}  // namespace tarvex
