// A temporary folder of debug files beside a (not existing) module file.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/debug_info_source.h"

inline constexpr uint32_t kFixtureHandle = 0x400000;

class DebugFileFixture {
 public:
  DebugFileFixture() {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::path(testing::TempDir()) / (std::string("vxdebug_") + test->test_suite_name() + "_" + test->name());
    std::filesystem::create_directories(folder_);
  }
  ~DebugFileFixture() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    Write(name, std::string(bytes.begin(), bytes.end()));
  }
  // A module loaded at kFixtureHandle with no readable image (unless `memory` is given).
  tarvex::TVXModuleImage Module(const std::string& name, const tarvex::MemorySpace* memory = nullptr) const {
    return tarvex::TVXModuleImage{memory != nullptr ? memory : &empty_, kFixtureHandle, (folder_ / name).string()};
  }

 private:
  std::filesystem::path folder_;
  tarvex::BufferMemorySpace empty_;
};
