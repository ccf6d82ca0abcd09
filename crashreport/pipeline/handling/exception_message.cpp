#include "crashreport/pipeline/handling/exception_message.h"

#include "rtl/exception.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

std::string WithFinalDot(std::string text) {
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

}  // namespace

std::string AccessViolationMessage(const AccessFault& fault) {
  const char* access = fault.write ? "Write" : "Read";
  if (fault.moduleFileName.empty())
    return rtl::Format("Access violation at address %08X. %s of address %08X", fault.faultAddress, access,
                       fault.accessedAddress);
  return rtl::Format("Access violation at address %08X in module '%s'. %s of address %08X", fault.faultAddress,
                     fault.moduleFileName.c_str(), access, fault.accessedAddress);
}

std::string ExceptionMessage(const rtl::Exception* object, const std::optional<AccessFault>& fault) {
  if (object == nullptr) return "Unknown error message.";
  if (fault && object->InheritsFrom("EAccessViolation")) return WithFinalDot(AccessViolationMessage(*fault));
  return WithFinalDot(object->Message());
}

}  // namespace tarvex
