#include "crashreport/report/sysinfo/sysinfo_printer.h"

#include "crashreport/report/sysinfo/sysinfo_file_version.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"

namespace tarvex {
namespace {

// The 9x platform and NT 4.0 keep the default printer in the system profile;
// later systems answer it directly.
std::string DefaultPrinter(const SystemQuery& system) {
  const std::optional<OsVersion> version = system.Version();
  const bool profile = version && (version->platform == kPlatformWindows9x ||
                                   (version->platform == kPlatformNT && version->major <= 4));
  if (profile) return PrinterFromProfileDevice(system.ProfileString("windows", "device").value_or(""));
  return system.DefaultPrinter().value_or("");
}

}  // namespace

std::string PrinterFromProfileDevice(std::string_view device) {
  return std::string(device.substr(0, device.find(',')));
}

std::string ProbePrinter(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const std::string printer = DefaultPrinter(system);
    if (printer.empty()) return std::string();
    const std::optional<PrinterDriver> driver = system.DriverOfPrinter(printer);
    if (!driver) return std::string();
    std::string version = ProbeProductVersion(system, driver->file);
    std::erase(version, ' ');
    return driver->name + " (driver " + version + ")";
  });
}

}  // namespace tarvex
