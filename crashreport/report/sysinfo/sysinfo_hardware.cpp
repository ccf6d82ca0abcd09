#include "crashreport/report/sysinfo/sysinfo_hardware.h"

#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "crashreport/base/util/time_span.h"
#include "rtl/format.h"

namespace tarvex {
namespace {

constexpr char kProcessorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

std::string DiskText(const SystemQuery& system, uint64_t DiskSpace::*field) {
  const std::optional<std::string> module = system.ModuleFileName();
  if (!module) return {};
  const std::optional<DiskSpace> disk = system.Disk(DriveRoot(*module));
  return disk ? FormatGigabytes((*disk).*field) : std::string();
}

std::string MemoryText(const SystemQuery& system, uint64_t MemoryStatus::*field) {
  const std::optional<MemoryStatus> memory = system.Memory();
  return memory ? FormatMegabytes((*memory).*field) : std::string();
}

}  // namespace

std::string FormatMegabytes(uint64_t bytes) {
  constexpr uint64_t kHalf = uint64_t(1) << 19;
  uint64_t megabytes = bytes >> 20;
  const uint64_t rest = bytes & ((uint64_t(1) << 20) - 1);
  if (rest > kHalf || (rest == kHalf && megabytes % 2 == 1)) ++megabytes;
  return rtl::Format("%llu Mb", static_cast<unsigned long long>(megabytes));
}

std::string FormatGigabytes(uint64_t bytes) {
  constexpr int kShift = 30;
  const uint64_t rest = bytes & ((uint64_t(1) << kShift) - 1);
  // Hundredths, rounded half up; `rest * 100` stays far inside 64 bits.
  const uint64_t hundredths = (bytes >> kShift) * 100 + ((rest * 100 + (uint64_t(1) << (kShift - 1))) >> kShift);
  std::string text = rtl::Format("%llu", static_cast<unsigned long long>(hundredths / 100));
  if (const unsigned fraction = hundredths % 100; fraction != 0)
    text += fraction % 10 == 0 ? rtl::Format(".%u", fraction / 10) : rtl::Format(".%02u", fraction);
  return text + " Gb";
}

std::string DriveRoot(std::string_view path) {
  if (path.starts_with("\\\\?\\UNC\\")) {
    path.remove_prefix(8);
    return DriveRoot("\\\\" + std::string(path));
  }
  if (path.starts_with("\\\\?\\")) path.remove_prefix(4);
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2)) + "\\";
  if (path.starts_with("\\\\")) {
    // "\\server\share": up to the separator after the share name.
    const size_t server = path.find('\\', 2);
    if (server != std::string_view::npos && server > 2) {
      const size_t share = path.find('\\', server + 1);
      if (share != server + 1) return std::string(path.substr(0, share)) + "\\";
    }
  }
  return "\\";
}

std::string ProbeTotalMemory(const SystemQuery& system) noexcept {
  return Guarded([&] { return MemoryText(system, &MemoryStatus::totalPhysical); });
}

std::string ProbeFreeMemory(const SystemQuery& system) noexcept {
  return Guarded([&] { return MemoryText(system, &MemoryStatus::availablePhysical); });
}

std::string ProbeTotalDisk(const SystemQuery& system) noexcept {
  return Guarded([&] { return DiskText(system, &DiskSpace::total); });
}

std::string ProbeFreeDisk(const SystemQuery& system) noexcept {
  return Guarded([&] { return DiskText(system, &DiskSpace::freeToCaller); });
}

std::string ProbeSystemUpTime(const SystemQuery& system) noexcept {
  return Guarded([&] { return FormatTimeSpan(system.TickCount() / 86'400'000.0); });
}

std::string FormatProcessor(std::string_view name, std::string_view vendor, std::string_view identifier) {
  name = TrimText(name);
  if (!name.empty()) return std::string(name);
  vendor = TrimText(vendor);
  identifier = TrimText(identifier);
  if (vendor.empty()) return "Unknown processor";
  std::string text(vendor);
  if (!identifier.empty()) (text += " - ") += identifier;
  return text;
}

std::string ProbeProcessor(const SystemQuery& system) noexcept {
  return Guarded(
      [&] {
        const auto value = [&](const char* name) { return RegistryText(system.RegistryValue(kProcessorKey, name)); };
        return FormatProcessor(value("ProcessorNameString"), value("VendorIdentifier"), value("Identifier"));
      },
      "Unknown processor");
}

std::string ProbeDisplayMode(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const std::optional<ScreenInfo> screen = system.Screen();
    return screen ? rtl::Format("%d x %d, %d bit", screen->width, screen->height, screen->bitsPerPixel) : std::string();
  });
}

std::string ProbeDisplayDpi(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const std::optional<ScreenInfo> screen = system.Screen();
    return screen ? rtl::Format("%d", screen->dpiY) : std::string();
  });
}

}  // namespace tarvex
