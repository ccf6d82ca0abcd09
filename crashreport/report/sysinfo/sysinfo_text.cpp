#include "crashreport/report/sysinfo/sysinfo_text.h"

#include "crashreport/base/util/little_endian.h"

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
  return LittleEndian32(reinterpret_cast<const uint8_t*>(value->data()));
}

}  // namespace tarvex
