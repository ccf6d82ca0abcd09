// What the zip writer learns of a file it adds: the size and last-write time
// that the directory listing reports, and the contents.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarvex {

// A moment in local time, as a calendar shows it.
struct LocalDateTime {
  int Year = 0;  // e.g. 2024
  int Month = 0;  // 1 to 12
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

struct SourceFileStamp {
  uint32_t Size = 0;         // low 32 bits; 0 when the file is not found
  LocalDateTime LastWrite;   // zero when the file is not found
  // The last write as an MS-DOS date (high word) and time (low word);
  // 0 when the file is not found or the time has no MS-DOS form.
  uint32_t DosDateTime = 0;
};

class SourceFiles {
 public:
  virtual ~SourceFiles() = default;
  virtual SourceFileStamp Stamp(const std::string& path) const = 0;
  // Opens the file for reading, letting others read it too, and fills
  // `buffer` from its start. False when it cannot be opened or ends sooner.
  virtual bool Read(const std::string& path, std::span<uint8_t> buffer) const = 0;
};

// The files of this machine (Windows: source_files_win.cpp; the host build:
// source_files_posix.cpp).
const SourceFiles& LocalSourceFiles();

// The MS-DOS form of a local time: date in the high word, time in the low
// word (seconds halved); 0 outside the years 1980 to 2107.
uint32_t DosDateTime(const LocalDateTime& time);

}  // namespace tarvex
