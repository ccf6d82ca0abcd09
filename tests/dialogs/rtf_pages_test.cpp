#include "crashreport/dialogs/detailed/rtf_pages.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

const RtfFont kFont{134, "Courier New", 10};

// The marked-up lines of a document, without its three head lines and the closing brace.
std::string Body(const std::string& rtf) {
  size_t start = 0;
  for (int i = 0; i < 3; ++i) start = rtf.find("\r\n", start) + 2;
  return rtf.substr(start, rtf.size() - 1 - start);
}

TEST(RtfPages, DocumentHeadNamesCharsetFaceAndSize) {
  const std::string rtf = GeneralPageRtf("", kFont);
  EXPECT_EQ(rtf.substr(0, rtf.find("\r\n")),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset134 Courier New;}}");
  EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green100\\blue100;\\red0\\green0\\blue0;\\red40\\green40\\blue40;"
                     "\\red0\\green0\\blue160;\\red160\\green0\\blue0;\\red80\\green80\\blue80;\\red0\\green100\\blue0;}"
                     "\r\n\\f0\\fs20\r\n"),
            std::string::npos);
  EXPECT_EQ(rtf.back(), '}');
}

TEST(RtfPages, EscapesBracesBackslashesAndLineEnds) {
  EXPECT_EQ(EscapeRtf("a{b}\\c\r\nd"), "a\\{b\\}\\\\c\\par\r\nd");
  EXPECT_EQ(EscapeRtf("lone\rcarriage\n"), "lone\rcarriage\n");
}

TEST(RtfPages, GeneralPageColoursHeaderCaptionsDashesAndItems) {
  const std::string text =
      "TarvexLog 6.1.01 RC 1\r\n"
      "\r\n"
      "Application:\r\n"
      "------------\r\n"
      "  1.1 Start Date  : Wed, 1 Jan 2025\r\n"
      "  2.6 Message: C:\\path {x}\r\n"
      " Indented:\r\n";
  EXPECT_EQ(Body(GeneralPageRtf(text, kFont)),
            "\\cf1\\b TarvexLog 6.1.01 RC 1\\b0\\par\r\n"
            "\\par\r\n"
            "\\cf3\\b Application:\\b0\\par\r\n"
            "\\cf3 ------------\\par\r\n"
            "\\cf5   1.1\\cf2  Start Date  : \\cf4 Wed, 1 Jan 2025\\par\r\n"
            "\\cf5   2.6\\cf2  Message: \\cf4 C:\\\\path \\{x\\}\\par\r\n"
            " Indented:\\par\r\n");
}

TEST(RtfPages, AssemblerPageMarksAddressMnemonicOperandsAndComments) {
  const std::string listing =
      "; Unit1.TForm1.Button1Click (Line=40 - Offset=0)\r\n"
      "00401000  push    ebp\r\n"
      "0040100A  mov     eax, [eax]                 ; <-- EXCEPTION\r\n"
      "00401017  leave";
  EXPECT_EQ(Body(AssemblerPageRtf(listing, kFont)),
            "\\cf6 ; Unit1.TForm1.Button1Click (Line=40 - Offset=0)\\par\r\n"
            "\\cf5 00401000 \\cf4\\b  push\\b0\\cf7     ebp\\par\r\n"
            "\\cf5 0040100A \\cf4\\b  mov\\b0\\cf7      eax, [eax]                 \\cf6 ; <-- EXCEPTION\\par\r\n"
            "\\cf5 00401017 \\cf4\\b  leave\\b0");
}

TEST(RtfPages, CpuPageSplitsTheDumpIntoTabColumns) {
  const std::string block =
      "Registers:\r\n"
      "-----------------------------\r\n"
      "EAX: 00000000   EDI: 0012FFB0\r\n"
      "EBX: 0012FF40   ESI: 00401000\r\n"
      "ECX: 7C800000   ESP: 0012FF00\r\n"
      "EDX: 00000001   EIP: 0040100A\r\n"
      "\r\n"
      "Stack:               Memory Dump:\r\n"
      "------------------   ----------\r\n"
      "0012FF00: 150E0700   0040100A: 8B 00 68 00 20 40 00 E8 EA FF FF FF 5B C9 C3 CC  ..h. @......[...\r\n";
  const std::string body = Body(CpuPageRtf(block, kFont, 2415));
  EXPECT_EQ(body,
            "\\cf3\\b Registers:\\cf2\\b0\\par\r\n"
            "\\cf3 -----------------------------\\cf2\\par\r\n"
            "EAX: \\cf4 00000000\\cf2    EDI: \\cf4 0012FFB0\\cf2 \\par\r\n"
            "EBX: \\cf4 0012FF40\\cf2    ESI: \\cf4 00401000\\cf2 \\par\r\n"
            "ECX: \\cf4 7C800000\\cf2    ESP: \\cf4 0012FF00\\cf2 \\par\r\n"
            "EDX: \\cf4 00000001\\cf2    EIP: \\cf4 0040100A\\cf2 \\par\r\n"
            "\\par\r\n"
            "\\pard\\tx2415\\cf3\\b Stack:\\tab Memory Dump:\\cf2\\b0\\par\r\n"
            "\\cf3 ------------------\\tab ----------\\cf2\\par\r\n"
            "0012FF00: \\cf4 150E0700\\cf2 \\tab 0040100A: \\cf4 8B 00 68 00 20 40 00 E8 EA FF FF FF 5B C9 C3 CC  "
            "\\cf5 ..h. @......[...\\cf2 \\par\r\n");
}

}  // namespace
}  // namespace tarvex
