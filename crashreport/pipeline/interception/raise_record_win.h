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
  const std::type_info* Type = nullptr;     // its type; nullptr for a language exception raised by the system
  const rtl::Exception* Object = nullptr;   // the same, when it is an exception object of the runtime
  uint32_t Address = 0;                     // the call that raised it (return address minus 5)
  uint32_t StackPointer = 0;                // the raising function's stack at the throw
  uint32_t Count = 0;                       // raises seen in this thread
  bool Language = false;                    // the thread's last exception was a language exception, not a system one
};

const TRaiseRecord& LastRaise();

// Records a raise of the calling thread (guarded so that a throw inside it is
// not recorded again). Keeps the thread's last error.
void RecordRaise(void* thrown, const std::type_info* type, uint32_t returnAddress, uint32_t stackPointer);

// The record itself, for the raise notification, which holds the guard:
// `address` is the raising call's.
void KeepRaise(const void* thrown, const std::type_info* type, const rtl::Exception* object, uint32_t address,
               uint32_t stackPointer);

// The thread's last exception was raised by the system (Language = false).
void NoteSystemRaise();

// The thrown object as the runtime's root class, when it is one.
const rtl::Exception* AsRuntimeException(void* thrown, const std::type_info* type);

}  // namespace tarvex
