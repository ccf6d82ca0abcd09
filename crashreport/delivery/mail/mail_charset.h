// The MIME charset name of a Windows ANSI code page, for a text part sent in
// the system's 8-bit text.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

// Names that both mail readers and Python's email package decode as the
// whole code page where one exists ("GBK" for 936, "windows-1252" for 1252,
// "utf-8" for 65001); other code pages are "cp<n>".
std::string CharsetOfCodePage(uint32_t codePage);

}  // namespace tarvex
