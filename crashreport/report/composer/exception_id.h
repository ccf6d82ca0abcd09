// The exception ID: four hexadecimal digits that are the same whenever the
// same failure happens again, so the log can count repeats.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

class TTarvexStackList;

// CRC-16 (XMODEM) over the main module text (item 1.2), the exception module
// text (item 2.3) and the exception type, then unit, class, procedure and
// lines-into-procedure of every line-level entry of the first entry's thread.
std::string ComputeExceptionID(std::string_view mainModuleText, std::string_view exceptionModuleText,
                               std::string_view exceptionType, const TTarvexStackList* stack);

}  // namespace tarvex
