#include "crashreport/pipeline/handling/internal_errors.h"

#include <gtest/gtest.h>

#include <vector>

#include "rtl/exception.h"

namespace {

using namespace tarvex;

TEST(InternalErrors, WarningLines) {
  const rtl::EWriteError error("Disk full");
  EXPECT_EQ(InternalWarningMessage("Log", &error), "[Log] Disk full");
  EXPECT_EQ(InternalWarningMessage("GUI", nullptr), "General 'GUI' error.");
  EXPECT_EQ(InternalWarningLine("eeLogError", 0x401000, "[Log] Disk full"),
            "[WARNING] - Code: eeLogError - Address: 00401000 - Message: \"[Log] Disk full\"");
  EXPECT_EQ(InternalErrorLine(702, 0xBADF00D, "boom"),
            "[ERROR] - Section: 702 - Address: 0BADF00D - Message: \"boom\"");
}

TEST(InternalErrors, ReportHasElevenPaddedLines) {
  std::vector<uint8_t> dump(40);
  for (size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<uint8_t>(0xF0 + i);
  InternalErrorFacts facts;
  facts.Date = "10/12/2026 17:00:00";
  facts.OS = "Windows 7";
  facts.BuildTool = "gcc 12";
  facts.Dump = dump;
  facts.Step = 4;
  facts.LastExceptionClass = "EConvertError";
  facts.Address = 0x00401234;
  facts.ExceptionClass = "EAccessViolation";
  facts.Message = "Access violation";
  facts.CallStack = "main";
  const std::string report = InternalErrorReport(facts);
  std::string expectedDump;
  for (int i = 0; i < 32; ++i) {
    char byte[5];
    snprintf(byte, sizeof byte, "$%02X", (0xF0 + i) & 0xFF);
    expectedDump += (i ? " " : "") + std::string(byte);
  }
  EXPECT_EQ(report,
            "Version   : 6.1.01 RC 1\r\n"
            "Date      : 10/12/2026 17:00:00\r\n"
            "OS        : Windows 7\r\n"
            "RAD       : gcc 12\r\n"
            "Dump      : " + expectedDump + "\r\n"
            "Section   : 4\r\n"
            "LastExcept: EConvertError\r\n"
            "Address   : 00401234\r\n"
            "Exception : EAccessViolation\r\n"
            "Message   : Access violation\r\n"
            "Call Stack: main\r\n");
}

TEST(InternalErrors, CriticalErrorText) {
  const rtl::EReadError error("Stream read error");
  EXPECT_EQ(CriticalErrorMessage("ECore.Done", &error),
            "Critical error at: \"ECore.Done\"\r\nError: \"Stream read error\".");
  EXPECT_EQ(CriticalErrorMessage("ExceptionLog.Done", nullptr),
            "Critical error at: \"ExceptionLog.Done\"\r\nError: \"General internal error.\".");
}

}  // namespace
