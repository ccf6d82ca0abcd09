// The entry through which the framework's hooks (and libraries that forward
// to this program) hand over one exception.
#pragma once

#include <cstdint>

#include "crashreport/pipeline/handling/capture_info.h"

namespace rtl {
class Exception;
}

namespace tarvex {

// Holds the handler lock throughout. A forwarding library calls the
// program's exported ExceptionManager with its own module handle instead.
// Not installed, or the thread excluded: true. Neither `object` nor the
// thread's last raised object manageable: true. Without an object, the last
// raised object and its address stand in. Otherwise the front door's answer
// (true: the framework's own handling should run as well). `module` is the
// module the caller belongs to (0: the program). Never throws.
bool ExceptionManager(const rtl::Exception* object, uint32_t address, TOutputKind outputKind, uint32_t module);

}  // namespace tarvex
