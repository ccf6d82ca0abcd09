#include "crashreport/callstack/modules/module_texts.h"

#include "rtl/format.h"

namespace tarvex {

uint32_t BasePriorityToClass(int32_t base) {
  if (base == 0) return 0;
  if (base < 6) return 64;        // idle
  if (base <= 7) return 0x4000;   // below normal
  if (base <= 9) return 32;       // normal
  if (base <= 12) return 0x8000;  // above normal
  if (base <= 23) return 128;     // high
  return 256;                     // real-time
}

std::string PriorityClassName(uint32_t priorityClass) {
  switch (priorityClass) {
    case 32: return "Normal";
    case 64: return "Low";
    case 128: return "High";
    case 256: return "Real-Time";
    case 0x4000: return "Below-Normal";
    case 0x8000: return "Above-Normal";
    default: return {};
  }
}

std::string SizeToKb(uint32_t bytes) {
  if (bytes == 0) return {};
  uint32_t kb = bytes / 1024;
  const uint32_t rest = bytes % 1024;
  if (rest > 512 || (rest == 512 && kb % 2 == 1)) ++kb;
  return std::to_string(kb) + " Kb";
}

std::string FileVersionText(uint32_t ms, uint32_t ls) {
  if (ms == 0 && ls == 0) return {};
  return rtl::Format("%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
}

}  // namespace tarvex
