#include "crashreport/report/screenshot/screenshot_file.h"

#include <cstdio>

#include "crashreport/report/screenshot/nearest_color.h"
#include "crashreport/report/screenshot/png_writer.h"

namespace tarvex {

bool WriteScreenshotFile(const Bgr24View& picture, const std::string& path) noexcept {
  try {
    const std::vector<uint8_t> png = EncodePng(ReduceTo256Colors(picture));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    if (std::fclose(file) == 0 && written) return true;
    std::remove(path.c_str());
    return false;
  } catch (...) {
    return false;
  }
}

}  // namespace tarvex
