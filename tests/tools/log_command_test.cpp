// tarvex log: a received log read without the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/tarvex/commands.h"
#include "tests/support/scratch_path.h"

namespace {

using namespace tarvex;
namespace fs = std::filesystem;

const std::string kFixtures = VX_LOG_FIXTURES;

std::string Output(const tool::Arguments& args) {
  ::testing::internal::CaptureStdout();
  const int status = tool::LogCommand(args);
  std::fflush(stdout);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 0);
  return out;
}

std::string Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

TEST(LogCommand, ListsOneLinePerReport) {
  EXPECT_EQ(Output({kFixtures + "/three_reports.elf"}),
            "1  Sat, 3 Feb 2024 10:16:07 +0100  EConvertError  'abc' is not a valid integer value.  (count 1)\n"
            "2  Sat, 3 Feb 2024 11:02:40 +0100  EAccessViolation  Access violation at address 0040C3D4 in module "
            "'ZorvikCalc.exe'. Read of address 00000000.  (count 1)\n"
            "3  Sat, 3 Feb 2024 11:30:00 +0100  EAccessViolation  Access violation at address 00000010. Read of "
            "address 00000010.  (count 1)\n");
}

TEST(LogCommand, ShowsOneReportAndExportsTheXml) {
  EXPECT_EQ(Output({kFixtures + "/three_reports.elf", "--show", "3"}), Read(kFixtures + "/report_empty_listing.txt"));
  const std::string xml = testsupport::ScratchPath("log_command.xml").string();
  EXPECT_EQ(Output({kFixtures + "/three_reports.elf", "--xml", xml}), "");
  EXPECT_EQ(Read(xml), Read(kFixtures + "/three_reports.xml"));
  fs::remove(xml);
}

TEST(LogCommand, RejectsBadArgumentsAndFilesThatAreNoLog) {
  const std::string notes = testsupport::ScratchPath("notes.elf").string();
  std::ofstream(notes) << "my notes\n";
  const std::string log = kFixtures + "/three_reports.elf";
  const std::vector<tool::Arguments> cases = {
      {},
      {log, "--show"},
      {log, "--show", "0"},
      {log, "--show", "4"},
      {log, "--show", "x"},
      {log, "--xml", "a.xml", "--show", "1"},
      {log, "--all"},
      {log, log},
      {kFixtures + "/missing.elf"},
      {notes},
      {kFixtures},  // a folder
      {log, "--xml", kFixtures + "/no/such/folder/out.xml"},
  };
  for (const auto& args : cases) EXPECT_THROW(tool::LogCommand(args), std::exception) << ::testing::PrintToString(args);
  fs::remove(notes);
}

}  // namespace
