#include "crashreport/delivery/zip/source_files.h"

namespace tarvex {

uint32_t DosDateTime(const LocalDateTime& time) {
  if (time.Year < 1980 || time.Year > 2107) return 0;
  const uint32_t date = static_cast<uint32_t>((time.Year - 1980) << 9 | time.Month << 5 | time.Day);
  const uint32_t clock = static_cast<uint32_t>(time.Hour << 11 | time.Minute << 5 | time.Second / 2);
  return date << 16 | clock;
}

}  // namespace tarvex
