// A path in the test temporary folder that belongs to this test process alone.
// ctest runs tests side by side, one process each, and several tests (or two
// cases of one test binary) would otherwise write the same fixed file name.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#define VX_PROCESS_ID _getpid
#else
#include <unistd.h>
#define VX_PROCESS_ID getpid
#endif

namespace tarvex::testsupport {

inline std::filesystem::path ScratchPath(const std::string& name) {
  return std::filesystem::path(::testing::TempDir()) / ("vx" + std::to_string(VX_PROCESS_ID()) + "_" + name);
}

}  // namespace tarvex::testsupport

#undef VX_PROCESS_ID
