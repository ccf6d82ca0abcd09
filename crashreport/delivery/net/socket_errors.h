// The exceptions of the socket, SMTP and DNS clients. The delivery layer
// catches them and turns them into a result; they carry only their text.
#pragma once

#include "rtl/exception.h"

namespace tarvex {

// Base of the socket errors; never raised by itself.
class ETarvexWinSockError : public rtl::Exception {
  RTL_EXCEPTION_CLASS(ETarvexWinSockError, rtl::Exception)
 public:
  using Exception::Exception;
};
// Every socket, SMTP and DNS failure.
RTL_DECLARE_EXCEPTION(ETarvexSocketError, ETarvexWinSockError);
// A socket function that cannot be bound.
RTL_DECLARE_EXCEPTION(ETarvexFuncNotFoundError, ETarvexSocketError);

}  // namespace tarvex
