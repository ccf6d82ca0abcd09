// The exception a frozen main thread is reported with.
#pragma once

#include "rtl/exception.h"

namespace tarvex {

// Its message is the options' text mtApplicationFrozen.
class EFrozenApplication : public rtl::Exception {
  RTL_EXCEPTION_CLASS(EFrozenApplication, rtl::Exception)
 public:
  using Exception::Exception;
};

}  // namespace tarvex
