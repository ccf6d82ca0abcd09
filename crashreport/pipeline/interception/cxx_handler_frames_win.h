// The handler frames that a C++ exception would meet: the raising thread's
// frames walked from the throw outwards (the unwinder's backtrace), each
// frame's exception table read at its call site, and its catch clauses
// compared with the thrown type through the type's run-time information.
#pragma once

#include <cstdint>
#include <typeinfo>
#include <vector>

#include "crashreport/pipeline/interception/raise_decision.h"

namespace tarvex {

// The frames from the throwing function outwards (the first frame taken is
// the one whose return address is `throwReturnAddress`: the frames of the
// throw's own machinery are left out), innermost first. A
// frame whose handler is the function `threadStartWrapper` is marked as the
// thread start wrapper's. The walk stops at the first frame that catches
// the exception (a catch-all, or a clause for the thrown type or a base of
// it) and at a frame that would end the program (no entry for its call
// site); frames that do nothing are left out.
std::vector<THandlerFrame> HandlerFramesOfThrow(const std::type_info& thrownType, void* thrown,
                                                uintptr_t throwReturnAddress, const void* threadStartWrapper);

}  // namespace tarvex
