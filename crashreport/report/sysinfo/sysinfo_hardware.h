// Probes of the report's Computer section: memory, disk, up time, processor
// and display. (Video card and printer: sysinfo_video.h, sysinfo_printer.h.)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

// Physical memory, total and available to the system.
std::string ProbeTotalMemory(const SystemQuery& system) noexcept;
std::string ProbeFreeMemory(const SystemQuery& system) noexcept;
// Bytes as whole megabytes (2^20), an exact half rounded to the even
// neighbour: 536,346,624 bytes (511.5) give "512 Mb", 535,298,048 (510.5) "510 Mb".
std::string FormatMegabytes(uint64_t bytes);

// The drive holding the running module: total and free to the caller; empty
// when the question fails.
std::string ProbeTotalDisk(const SystemQuery& system) noexcept;
std::string ProbeFreeDisk(const SystemQuery& system) noexcept;
// Bytes as gigabytes (2^30) with at most two decimals, no trailing zeros,
// "." as decimal separator (reports read alike everywhere): "3 Gb", "1.5 Gb".
std::string FormatGigabytes(uint64_t bytes);
// The root folder of the drive of `path`: "C:\" for "C:\x\y.exe",
// "\\server\share\" for a network path, "\" (the current drive) otherwise.
std::string DriveRoot(std::string_view path);

std::string ProbeSystemUpTime(const SystemQuery& system) noexcept;

// The processor name of the registry; else vendor, or "vendor - identifier"
// when both are known; else "Unknown processor".
std::string ProbeProcessor(const SystemQuery& system) noexcept;
std::string FormatProcessor(std::string_view name, std::string_view vendor, std::string_view identifier);

std::string ProbeDisplayMode(const SystemQuery& system) noexcept;  // "1024 x 768, 32 bit"
std::string ProbeDisplayDpi(const SystemQuery& system) noexcept;   // "96"

}  // namespace tarvex
