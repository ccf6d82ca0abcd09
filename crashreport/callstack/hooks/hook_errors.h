// Exceptions raised by the code hooks, and their message formats.
#pragma once

#include "rtl/exception.h"

namespace tarvex {

// Base of every hooking failure.
class EHookError : public rtl::Exception {
  RTL_EXCEPTION_CLASS(EHookError, rtl::Exception)
 public:
  using Exception::Exception;
};

RTL_DECLARE_EXCEPTION(EHookingError, EHookError);   // a hook could not be installed
RTL_DECLARE_EXCEPTION(EProcNull, EHookError);       // the procedure to hook is null

// Formats with the name given by the caller in place of %s.
inline constexpr char kNullProcedureMessage[] = "Cannot hook a null procedure (\"%s\").";
inline constexpr char kCannotHookMessage[] = "Cannot hook the procedure \"%s\".";

}  // namespace tarvex
