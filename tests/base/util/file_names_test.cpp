#include "crashreport/base/util/file_names.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(FileNames, Parts) {
  EXPECT_EQ(ExtractFilePath("C:\\a.b\\App.exe"), "C:\\a.b\\");
  EXPECT_EQ(ExtractFilePath("C:App.exe"), "C:");
  EXPECT_EQ(ExtractFilePath("App.exe"), "");
  EXPECT_EQ(ExtractFileName("C:\\a.b\\App.exe"), "App.exe");
  EXPECT_EQ(ExtractFileName("C:/a/App"), "App");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\App"), "");
  EXPECT_EQ(ExtractFileExt("C:\\a\\App.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\App", ".elf"), "C:\\a.b\\App.elf");
  EXPECT_EQ(ChangeFileExt("C:\\a\\App.exe", ""), "C:\\a\\App");
  EXPECT_EQ(InsertBeforeExtension("C:\\a.b\\App.elf", "_PC"), "C:\\a.b\\App_PC.elf");
  EXPECT_EQ(WithTrailingSeparator("D:\\Logs"), "D:\\Logs\\");
  EXPECT_EQ(WithTrailingSeparator("D:/Logs/"), "D:/Logs/");
  EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(FileNames, FolderChainLeavesTheRootOut) {
  using Chain = std::vector<std::string>;
  EXPECT_EQ(FolderChain("C:\\a\\b\\"), (Chain{"C:\\a", "C:\\a\\b"}));
  EXPECT_EQ(FolderChain("C:\\"), Chain{});
  EXPECT_EQ(FolderChain("\\\\server\\share\\logs\\x"), (Chain{"\\\\server\\share\\logs", "\\\\server\\share\\logs\\x"}));
  EXPECT_EQ(FolderChain("\\\\server\\share"), Chain{});
  EXPECT_EQ(FolderChain("\\TarvexLog\\App"), (Chain{"\\TarvexLog", "\\TarvexLog\\App"}));
  EXPECT_EQ(FolderChain("logs\\\\today"), (Chain{"logs", "logs\\\\today"}));
  EXPECT_EQ(FolderChain(""), Chain{});
}

}  // namespace
