#include "rtl/format.h"

#include <cstdio>

namespace rtl {

std::string FormatV(const char* format, std::va_list args) {
  char small[256];
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  std::string result;
  if (length < 0) {
    va_end(again);
    return result;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    result.assign(small, static_cast<size_t>(length));
  } else {
    result.resize(static_cast<size_t>(length));
    std::vsnprintf(result.data(), result.size() + 1, format, again);
  }
  va_end(again);
  return result;
}

std::string Format(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string result = FormatV(format, args);
  va_end(args);
  return result;
}

}  // namespace rtl
