// Facts about a module or program file: version resource, size and date.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tarvex {

struct FileVersionFacts {
  std::string version;      // "a.b.c.d" from the fixed file information; empty for none or 0.0.0.0
  std::string description;  // FileDescription in the first translation's string table
};
FileVersionFacts ReadFileVersionFacts(const std::string& path);

struct FileFacts {
  uint32_t size = 0;  // low 32 bits; 0 when the file is not found
  double date = 0;    // last write, local time, days since 1899-12-30
};
FileFacts ReadFileFacts(const std::string& path);

// A system time (UTC) as local time in days since 1899-12-30.
double ToDateTime(const FILETIME& utc);

}  // namespace tarvex
