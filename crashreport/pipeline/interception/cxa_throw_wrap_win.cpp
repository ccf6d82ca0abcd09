// Linked with -Wl,--wrap=__cxa_throw: every throw (libstdc++'s own included)
// calls __wrap___cxa_throw, which runs the raise notification and throws for real.
#include <cstdint>
#include <typeinfo>

#include "crashreport/pipeline/interception/raise_notification_win.h"

extern "C" [[noreturn]] void __real___cxa_throw(void* thrown, std::type_info* type, void (*destroy)(void*));

extern "C" [[noreturn]] void __wrap___cxa_throw(void* thrown, std::type_info* type, void (*destroy)(void*)) {
  // The raising function's stack pointer as it was before the call: above
  // this frame's saved frame pointer and return address.
  tarvex::NotifyThrow(thrown, type, reinterpret_cast<uint32_t>(__builtin_return_address(0)),
                      reinterpret_cast<uint32_t>(__builtin_frame_address(0)) + 8);
  __real___cxa_throw(thrown, type, destroy);
}
