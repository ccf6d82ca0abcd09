// printf-style formatting into std::string (the toolchain's libstdc++ has no <format>).
#pragma once

#include <cstdarg>
#include <string>

namespace rtl {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, std::va_list args);

}  // namespace rtl
