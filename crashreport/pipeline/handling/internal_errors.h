// Texts of the crash reporter's own failures: the warning line for the
// debugger output, and the internal error report saved beside the program.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rtl {
class Exception;
}

namespace tarvex {

inline constexpr const char* kReporterVersion = "6.1.01 RC 1";

// "[area] message" for an exception object, else "General 'area' error.".
std::string InternalWarningMessage(const char* area, const rtl::Exception* object);

// [WARNING] - Code: <code> - Address: <8 hex digits> - Message: "<message>"
std::string InternalWarningLine(const std::string& codeName, uint32_t address, const std::string& message);

// [ERROR] - Section: <step> - Address: <8 hex digits> - Message: "<message>"
std::string InternalErrorLine(int step, uint32_t address, const std::string& message);

struct InternalErrorFacts {
  std::string Date, OS, BuildTool;
  std::span<const uint8_t> Dump;  // the bytes at Address (at most 32 are written)
  int Step = 0;
  std::string LastExceptionClass;
  uint32_t Address = 0;
  std::string ExceptionClass, Message, CallStack;
};

// The eleven lines of the internal error report, each "<label padded to 10>: value", CR LF ended.
std::string InternalErrorReport(const InternalErrorFacts& facts);

// A wrapped start-up or shut-down operation that failed:
// Critical error at: "<step>"<CR LF>Error: "<message>".
std::string CriticalErrorMessage(const std::string& stepName, const rtl::Exception* object);

}  // namespace tarvex
