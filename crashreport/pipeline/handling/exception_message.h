// The message an exception is shown and reported with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rtl {
class Exception;
}

namespace tarvex {

// What the processor told about an access violation.
struct AccessFault {
  uint32_t faultAddress = 0;     // the instruction that faulted
  bool write = false;            // a write (else a read)
  uint32_t accessedAddress = 0;  // the address it tried to reach
  std::string moduleFileName;    // the loaded image that holds faultAddress; empty: none
};

// The exception's own message, or for an access violation the text rebuilt
// with the module and both addresses; "Unknown error message." without an
// exception object. A non-empty message always ends with ".".
std::string ExceptionMessage(const rtl::Exception* object, const std::optional<AccessFault>& fault);

// The access violation text alone (see ExceptionMessage).
std::string AccessViolationMessage(const AccessFault& fault);

}  // namespace tarvex
