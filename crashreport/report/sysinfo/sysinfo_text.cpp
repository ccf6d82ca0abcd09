#include "crashreport/report/sysinfo/sysinfo_text.h"

namespace tarvex {

std::string PadRight(std::string_view text, size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

std::string RegistryText(const std::optional<std::string>& value) {
  if (!value) return {};
  return value->substr(0, value->find('\0'));
}

uint32_t RegistryDword(const std::optional<std::string>& value) {
  if (!value || value->size() < 4) return 0;
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<uint8_t>((*value)[i]);
  return number;
}

}  // namespace tarvex
