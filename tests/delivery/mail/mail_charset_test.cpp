#include "crashreport/delivery/mail/mail_charset.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tarvex {
namespace {

// The system's ANSI code pages and a few others a machine may be set to.
constexpr uint32_t kCodePages[] = {874,  932,  936, 949, 950, 1250, 1251,  1252,  1253,  1254,  1255, 1256,
                                   1257, 1258, 437, 850, 866, 1361, 20127, 20866, 28591, 28605, 65001};

TEST(MailCharset, NamesOfCodePages) {
  EXPECT_EQ(CharsetOfCodePage(936), "GBK");
  EXPECT_EQ(CharsetOfCodePage(1252), "windows-1252");
  EXPECT_EQ(CharsetOfCodePage(1250), "windows-1250");
  EXPECT_EQ(CharsetOfCodePage(874), "cp874");
  EXPECT_EQ(CharsetOfCodePage(65001), "utf-8");
  EXPECT_EQ(CharsetOfCodePage(850), "cp850");
}

// Every name is one that Python's email package can decode a part with.
TEST(MailCharset, PythonKnowsEveryName) {
  std::string command = "/usr/bin/python3 -c 'import codecs, sys; [codecs.lookup(n) for n in sys.argv[1:]]'";
  for (const uint32_t codePage : kCodePages) command += " " + CharsetOfCodePage(codePage);
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace
}  // namespace tarvex
