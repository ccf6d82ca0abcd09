#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/callstack/pe/tiny_pe.h"
#include "tools/tarvex/commands.h"
#include "tests/support/scratch_path.h"

namespace {

using namespace tarvex;
namespace fs = std::filesystem;

class DisasmCommand : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = testsupport::ScratchPath(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path.string();
  }

  static std::string Run(const tool::Arguments& args) {
    ::testing::internal::CaptureStdout();
    const int status = tool::Disasm(args);
    std::fflush(stdout);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
    return out;
  }

  // nop; mov eax, [ebp-4]; call +0; ret; FF (cut short)
  const std::vector<uint8_t> raw_ = {0x90, 0x8B, 0x45, 0xFC, 0xE8, 0x00, 0x00, 0x00, 0x00, 0xC3, 0xFF};
};

TEST_F(DisasmCommand, ListsARangeOfRawBytes) {
  const std::string file = Write("raw.bin", raw_);
  EXPECT_EQ(Run({file, "--offset", "1", "--size", "9", "--base", "0x401000"}),
            "00401000  mov     eax, [ebp-$04]\n"
            "00401003  call    $00401008\n"
            "00401008  ret\n");
  EXPECT_EQ(Run({file, "--offset", "9"}),
            "00000000  ret\n"
            "00000001  DB      $FF\n");
  EXPECT_EQ(Run({file, "--size", "1", "--base", "4096"}), "00001000  nop\n");
  EXPECT_EQ(Run({file, "--size", "100", "--offset", "11"}), "");  // nothing left
}

TEST_F(DisasmCommand, ListsTheCodeSectionsOfAModuleAtItsImageBase) {
  std::vector<uint8_t> module = testsupport::TinyPe();
  const std::vector<uint8_t> code = {0x55, 0x8B, 0xEC, 0xEB, 0xFE};  // push ebp; mov ebp, esp; jmp $
  std::copy(code.begin(), code.end(), module.begin() + 0x200);
  std::fill(module.begin() + 0x205, module.begin() + 0x218, 0xC3);  // the rest of the section: ret
  const std::string file = Write("module.dll", module);
  const std::string listing = Run({file});
  EXPECT_TRUE(listing.starts_with("00401000  push    ebp\n"
                                  "00401001  mov     ebp, esp\n"
                                  "00401003  jmp     $00401003\n"
                                  "00401005  ret\n"))
      << listing;
  EXPECT_TRUE(listing.ends_with("00401017  ret\n")) << listing;  // the virtual size ends the section
  EXPECT_TRUE(Run({file, "--base", "0x10000000"}).starts_with("10001000  push    ebp\n"));
}

TEST_F(DisasmCommand, RejectsBadArguments) {
  const std::string raw = Write("bad.bin", raw_);
  const std::vector<tool::Arguments> cases = {
      {},
      {raw, "--size"},
      {raw, "--size", "ten"},
      {raw, "--offset", "-1"},
      {raw, "--offset", "12"},  // beyond the end
      {raw, "--base", "0x100000000"},
      {raw, "--bogus"},
      {raw, raw},
      {testsupport::ScratchPath("missing.bin").string()},
      {raw},  // not a module
  };
  for (const auto& args : cases) EXPECT_THROW(tool::Disasm(args), std::exception) << ::testing::PrintToString(args);
}

}  // namespace
