// What the oracle tests share: the real i686 modules they compare over, and
// Capstone as the reference disassembler (host build, test support).
#pragma once

#include <capstone/capstone.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::testsupport {

inline constexpr const char* kWineDlls = "/usr/lib/i386-linux-gnu/wine/i386-windows";

// Wine's i686 system DLLs, sorted, then the programs of this project's
// Windows build (VX_WIN32_BUILD_DIR) when that build exists.
std::vector<std::string> OracleModulePaths();

// "8B 45 FC"
std::string HexBytes(const uint8_t* code, size_t size);

// Instructions Capstone is no reference for: it decodes 0F B9 (UD1) as
// "ud2b" without the ModRM byte that the processor reads (UD1 r32, r/m32).
inline bool CapstoneMisdecodes(const uint8_t* code, size_t size) {
  return size >= 2 && code[0] == 0x0F && code[1] == 0xB9;
}

class Capstone {
 public:
  Capstone();  // 32-bit x86, Intel syntax
  ~Capstone();
  Capstone(const Capstone&) = delete;
  Capstone& operator=(const Capstone&) = delete;

  // The instruction at `code`, or nullptr when Capstone cannot decode it. The
  // result stays valid until the next call.
  const cs_insn* Decode(const uint8_t* code, size_t size, uint64_t address);

 private:
  csh handle_ = 0;
  cs_insn* insn_ = nullptr;
};

}  // namespace tarvex::testsupport
