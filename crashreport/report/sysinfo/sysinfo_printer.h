// The printer probe: the default printer's driver and its version.
#pragma once

#include <string>
#include <string_view>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

// "driver name (driver product-version)"; empty without a default printer or
// the print spooler.
std::string ProbePrinter(const SystemQuery& system) noexcept;

// The default printer's name from the system profile's "device" entry
// ("name,driver,port"): its first field.
std::string PrinterFromProfileDevice(std::string_view device);

}  // namespace tarvex
