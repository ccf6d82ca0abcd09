#include <windows.h>

#include <algorithm>

#include "crashreport/delivery/trackers/ansi_text.h"

namespace tarvex {

std::string AnsiToUtf8(std::string_view ansi) {
  if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(ansi);
  const int length = static_cast<int>(ansi.size());
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (wideLength <= 0) return std::string(ansi);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), wideLength);
  const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (utf8Length <= 0) return std::string(ansi);
  std::string utf8(static_cast<size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr);
  return utf8;
}

}  // namespace tarvex
