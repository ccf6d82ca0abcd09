// Whether the test runs under qemu-user instead of on a CPU that executes
// 32-bit code (scripts/win32-env.sh says so through VX_WIN32_MODE, which Wine
// passes on to Windows programs). Only facts the emulator itself distorts may
// be checked less strictly there.
#pragma once

#include <windows.h>

#include <cstring>

namespace tarvex::testing {

inline bool RunsUnderEmulation() {
  char mode[16] = {};
  const DWORD length = GetEnvironmentVariableA("VX_WIN32_MODE", mode, sizeof mode);
  return length > 0 && length < sizeof mode && std::strcmp(mode, "emulated") == 0;
}

}  // namespace tarvex::testing
