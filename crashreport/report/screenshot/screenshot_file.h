// The screenshot file: the picture reduced to 256 colours, as a PNG.
#pragma once

#include <string>

#include "crashreport/report/screenshot/bitmap_types.h"

namespace tarvex {

// Writes `picture` (at least 1 x 1) to `path`. False when that fails, for
// any reason; a file that could be written only in part is removed.
bool WriteScreenshotFile(const Bgr24View& picture, const std::string& path) noexcept;

}  // namespace tarvex
