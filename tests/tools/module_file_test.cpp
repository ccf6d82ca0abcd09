#include "tools/tarvex/module_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "tools/tarvex/file_bytes.h"

namespace {

using namespace tarvex;
using Bytes = std::vector<uint8_t>;

class ModuleFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvex_module_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(ModuleFile, WritingTwiceReplacesTheData) {
  const Bytes module = {'M', 'Z', 0x90, 0, 3, 0};
  tool::WriteFileBytes(Path("m.exe"), module);
  EXPECT_FALSE(tool::ReadModuleData(Path("m.exe")));
  EmbeddedData first;
  first.optionStream = Bytes(100, 1);
  first.debugInfo = {7, 7};
  tool::WriteModuleData(Path("m.exe"), first);
  EmbeddedData second;
  second.optionStream = {2};
  tool::WriteModuleData(Path("m.exe"), second);
  EXPECT_EQ(tool::ReadModuleData(Path("m.exe")), second);
  const Bytes file = tool::ReadFileBytes(Path("m.exe"));
  EXPECT_EQ(file.size(), module.size() + WriteContainer(second).size() + kAppendedTrailerSize);
  EXPECT_TRUE(std::equal(module.begin(), module.end(), file.begin()));
  std::filesystem::directory_iterator entries(dir_);
  EXPECT_EQ(std::distance(entries, std::filesystem::directory_iterator()), 1) << "no temporary file is left";
}

TEST_F(ModuleFile, MissingFilesAreReported) {
  try {
    tool::ReadFileBytes(Path("absent.exe"));
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("absent.exe"), std::string::npos);
  }
  EXPECT_THROW(tool::ReplaceFileBytes(Path("no/such/dir/m.exe"), Bytes{1}), std::runtime_error);
}

TEST(BuildInfo, FollowsSourceDateEpoch) {
  ::setenv("SOURCE_DATE_EPOCH", "86400", 1);
  const auto info = tool::BuildInfoNow();
  ::unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(CompileDateFromBuildInfo(info), 25570.0);
}

}  // namespace
