#include "crashreport/pipeline/interception/language_exception.h"

namespace tarvex {

std::optional<TLanguageRaise> LanguageRaiseOf(uint32_t code, uint32_t flags, uint32_t argumentCount,
                                              const uintptr_t* arguments) {
  if (code != kLanguageExceptionCode || flags != kLanguageExceptionFlags || argumentCount != kLanguageArgumentCount ||
      arguments == nullptr)
    return std::nullopt;
  return TLanguageRaise{reinterpret_cast<const rtl::Exception*>(arguments[1]), static_cast<uint32_t>(arguments[0])};
}

}  // namespace tarvex
