#include "crashreport/delivery/http/file_bytes.h"

#include <fstream>

namespace tarvex {

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return std::nullopt;
  const auto size = file.tellg();
  if (size < 0) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  file.seekg(0);
  // One read of the whole file; a file that shrank meanwhile counts as unreadable.
  if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
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
