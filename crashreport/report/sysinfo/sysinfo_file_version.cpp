#include "crashreport/report/sysinfo/sysinfo_file_version.h"

#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "rtl/format.h"

namespace tarvex {

std::string ProductVersionPath(uint32_t translation) {
  return rtl::Format("\\StringFileInfo\\%04X%04X\\ProductVersion", unsigned(translation >> 16),
                     unsigned(translation & 0xFFFF));
}

std::string ProbeProductVersion(const SystemQuery& system, const std::string& file) noexcept {
  return Guarded([&] {
    const std::optional<uint32_t> translation = system.FileTranslation(file);
    if (!translation) return std::string();
    std::string version = system.FileVersionValue(file, ProductVersionPath(*translation)).value_or("");
    if (version.size() <= 1) version.clear();
    return version;
  });
}

}  // namespace tarvex
