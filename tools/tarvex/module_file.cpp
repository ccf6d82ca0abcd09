#include "tools/tarvex/module_file.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tools/tarvex/file_bytes.h"

namespace tarvex::tool {

void ReplaceFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
  const std::string temporary = path + ".tarvex-tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
      std::remove(temporary.c_str());
      throw std::runtime_error("cannot write " + path);
    }
  }
  std::error_code ignored;  // a replaced file keeps its permissions, a new one gets the defaults
  const auto existing = std::filesystem::status(path, ignored);
  if (std::filesystem::exists(existing))
    std::filesystem::permissions(temporary, existing.permissions(), ignored);
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot replace " + path);
  }
}

std::optional<EmbeddedData> ReadModuleData(const std::string& modulePath) {
  const auto bytes = ReadFileBytes(modulePath);
  return ReadContainer(FindAppendedContainer(bytes));
}

void WriteModuleData(const std::string& modulePath, const EmbeddedData& data) {
  const auto module = ReadFileBytes(modulePath);
  ReplaceFileBytes(modulePath, AppendContainer(module, WriteContainer(data)));
}

std::array<uint8_t, 8> BuildInfoNow() {
  int64_t seconds = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0')
    seconds = std::strtoll(epoch, nullptr, 10);
  return BuildInfoFromCompileDate(CompileDateFromUnixTime(seconds));
}

}  // namespace tarvex::tool
