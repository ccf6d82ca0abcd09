// The raise notification of C++ exceptions: every throw passes through the
// wrapped __cxa_throw while the raising stack is intact, and the thread
// keeps what was raised and where.
#pragma once

#include <cstdint>
#include <typeinfo>

namespace rtl {
class Exception;
}

namespace tarvex {

// The calling thread's last raise.
struct TRaiseRecord {
  const void* Thrown = nullptr;             // the thrown object, whatever its type
  const rtl::Exception* Object = nullptr;   // the same, when it is an exception object of the runtime
  uint32_t Address = 0;                     // the call that raised it (return address minus 5)
  uint32_t StackPointer = 0;                // the raising function's stack at the throw
  uint32_t Count = 0;                       // raises seen in this thread
};

const TRaiseRecord& LastRaise();

// Records a raise of the calling thread (the raise notification; guarded so
// that a throw inside it is not recorded again). Keeps the thread's last error.
void RecordRaise(void* thrown, const std::type_info* type, uint32_t returnAddress, uint32_t stackPointer);

}  // namespace tarvex
