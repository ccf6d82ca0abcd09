// The exception being handled or in flight, as the runtime's exception
// object when it is one.
#pragma once

#include <exception>

#include "rtl/exception.h"

namespace tarvex {

// Calls `use` with the current exception (std::current_exception) as an
// exception object of the runtime, or nullptr for a foreign one; does
// nothing when no exception is current. Call only where an exception is
// being handled (a catch block, a terminate handler).
template <typename Use>
void WithExceptionInFlight(Use&& use) {
  const std::exception_ptr inFlight = std::current_exception();
  if (!inFlight) return;
  try {
    std::rethrow_exception(inFlight);
  } catch (const rtl::Exception& e) {
    use(&e);
  } catch (...) {
    use(nullptr);
  }
}

}  // namespace tarvex
