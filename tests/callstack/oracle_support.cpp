#include "tests/callstack/oracle_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace tarvex::testsupport {

namespace fs = std::filesystem;

std::vector<std::string> OracleModulePaths() {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kWineDlls, error))
    if (entry.path().extension() == ".dll") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  if (fs::is_directory(VX_WIN32_BUILD_DIR, error)) {
    for (const auto& entry : fs::recursive_directory_iterator(VX_WIN32_BUILD_DIR, error))
      if (entry.is_regular_file() && entry.path().extension() == ".exe" &&
          entry.path().string().find("/CMakeFiles/") == std::string::npos)
        paths.push_back(entry.path().string());
  }
  return paths;
}

std::string HexBytes(const uint8_t* code, size_t size) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", code[i]);
    text += byte;
  }
  return text;
}

Capstone::Capstone() {
  if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle_) != CS_ERR_OK) throw std::runtime_error("cs_open failed");
  insn_ = cs_malloc(handle_);
}

Capstone::~Capstone() {
  cs_free(insn_, 1);
  cs_close(&handle_);
}

const cs_insn* Capstone::Decode(const uint8_t* code, size_t size, uint64_t address) {
  return cs_disasm_iter(handle_, &code, &size, &address, insn_) ? insn_ : nullptr;
}

}  // namespace tarvex::testsupport
