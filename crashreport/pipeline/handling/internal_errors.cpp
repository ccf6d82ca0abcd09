#include "crashreport/pipeline/handling/internal_errors.h"

#include <algorithm>

#include "rtl/exception.h"
#include "rtl/format.h"

namespace tarvex {

std::string InternalWarningMessage(const char* area, const rtl::Exception* object) {
  if (object == nullptr) return rtl::Format("General '%s' error.", area);
  return rtl::Format("[%s] %s", area, object->Message().c_str());
}

std::string InternalWarningLine(const std::string& codeName, uint32_t address, const std::string& message) {
  return rtl::Format("[WARNING] - Code: %s - Address: %08X - Message: \"%s\"", codeName.c_str(), address,
                     message.c_str());
}

std::string InternalErrorLine(int step, uint32_t address, const std::string& message) {
  return rtl::Format("[ERROR] - Section: %d - Address: %08X - Message: \"%s\"", step, address, message.c_str());
}

namespace {

std::string DumpText(std::span<const uint8_t> bytes) {
  std::string text;
  for (size_t i = 0; i < std::min<size_t>(bytes.size(), 32); ++i) {
    if (i != 0) text += ' ';
    text += rtl::Format("$%02X", bytes[i]);
  }
  return text;
}

void AddLine(std::string& text, const char* label, const std::string& value) {
  text += rtl::Format("%-10s: %s\r\n", label, value.c_str());
}

}  // namespace

std::string InternalErrorReport(const InternalErrorFacts& f) {
  std::string text;
  AddLine(text, "Version", kReporterVersion);
  AddLine(text, "Date", f.Date);
  AddLine(text, "OS", f.OS);
  AddLine(text, "RAD", f.BuildTool);
  AddLine(text, "Dump", DumpText(f.Dump));
  AddLine(text, "Section", std::to_string(f.Step));
  AddLine(text, "LastExcept", f.LastExceptionClass);
  AddLine(text, "Address", rtl::Format("%08X", f.Address));
  AddLine(text, "Exception", f.ExceptionClass);
  AddLine(text, "Message", f.Message);
  AddLine(text, "Call Stack", f.CallStack);
  return text;
}

std::string CriticalErrorMessage(const std::string& stepName, const rtl::Exception* object) {
  const std::string message = object != nullptr ? object->Message() : "General internal error.";
  return rtl::Format("Critical error at: \"%s\"\r\nError: \"%s\".", stepName.c_str(), message.c_str());
}

}  // namespace tarvex
