#include "crashreport/base/options/attachment_files.h"

#include <gtest/gtest.h>

#include "crashreport/base/options/option_types.h"

namespace {

using namespace tarvex;

TEST(TemporaryAttachmentFiles, TheListFollowsTheSendFlags) {
  struct Case {
    uint16_t sendFlags;
    std::vector<std::string> files;
  };
  const std::string dump = "C:\\Temp\\00000F1C00400000.bin";
  const Case cases[] = {
      {0, {"C:\\Temp\\BugReport.zip", "C:\\Temp\\App_PC.elf", dump}},
      {sfIncludeScreenshot | sfIncludeLastHTMLPage | sfIncludeXMLReport,
       {"C:\\Temp\\Screenshot.png", "C:\\Temp\\LastHTMLPage.html", "C:\\Temp\\BugReport.zip", "C:\\Temp\\App_PC.elf",
        "C:\\Temp\\App_PC.xml", dump}},
      {sfIncludeLastHTMLPage | sfTagFilesWithDate | sfShowProgressWindow,
       {"C:\\Temp\\LastHTMLPage.html", "C:\\Temp\\BugReport.zip", "C:\\Temp\\App_PC.elf", dump}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TemporaryAttachmentFiles("C:\\Temp\\", c.sendFlags, "D:\\Logs\\App_PC.elf", 0xF1C, 0x400000), c.files)
        << c.sendFlags;
  EXPECT_EQ(TemporaryAttachmentFiles("C:\\Temp", 0, "App.elf", 1, 2).front(), "C:\\Temp\\BugReport.zip");
}

TEST(TemporaryAttachmentFiles, DumpNameIsProcessAndModuleInHex) {
  EXPECT_EQ(DumpFileName(0x1A2B, 0x10000000), "00001A2B10000000.bin");
  EXPECT_EQ(DumpFileName(0xFFFFFFFF, 0xABCDEF01), "FFFFFFFFABCDEF01.bin");
}

TEST(AttachmentDisplayName, ComputerNameThenExceptionTime) {
  const CalendarTime time{2026, 3, 7, 9, 5, 2};
  struct Case {
    const char* file;
    uint16_t sendFlags;
    const char* computer;
    const char* shown;
  };
  const Case cases[] = {
      {"C:\\Temp\\Screenshot.png", 0, "PC-1", "Screenshot.png"},
      {"C:\\Temp\\Screenshot.png", sfTagFilesWithComputer, "PC-1", "Screenshot__PC-1.png"},
      {"C:\\Temp\\Screenshot.png", sfTagFilesWithDate, "PC-1", "Screenshot__20260307090502.png"},
      {"C:\\Temp\\BugReport.zip", sfTagFilesWithDate | sfTagFilesWithComputer, "PC-1",
       "BugReport__PC-1__20260307090502.zip"},
      {"C:\\Temp\\App.elf", sfTagFilesWithComputer, "OFFICE:PC/2", "App__OFFICE_PC_2.elf"},
      {"C:\\Temp.d\\NoExtension", sfTagFilesWithComputer, "PC-1", "NoExtension__PC-1"},
  };
  for (const Case& c : cases) EXPECT_EQ(AttachmentDisplayName(c.file, c.sendFlags, c.computer, time), c.shown);
}

}  // namespace
