// Language exceptions raised through the system's RaiseException: the
// exception object travels in the record's arguments.
#pragma once

#include <cstdint>
#include <optional>

namespace rtl {
class Exception;
}

namespace tarvex {

// Code 0x0EEDFADE, flags 1 (not continuable), 7 arguments: argument 0 the
// raise address (the call instruction), argument 1 the exception object;
// the other five are left to the raiser.
inline constexpr uint32_t kLanguageExceptionCode = 0x0EEDFADE;
inline constexpr uint32_t kLanguageExceptionFlags = 1;
inline constexpr uint32_t kLanguageArgumentCount = 7;

struct TLanguageRaise {
  const rtl::Exception* Object = nullptr;
  uint32_t Address = 0;
};

// The object and address of a language exception; empty for any other record.
std::optional<TLanguageRaise> LanguageRaiseOf(uint32_t code, uint32_t flags, uint32_t argumentCount,
                                              const uintptr_t* arguments);

}  // namespace tarvex
