// Probes of the report's Operating System section.
#pragma once

#include <string>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

// "Microsoft Windows XP", "Microsoft Windows 7 (64 bit)", "Microsoft Windows 6.2".
std::string ProbeOsType(const SystemQuery& system) noexcept;
// The naming rules: `workstation` when the extended version information
// reports a workstation product, `wow64` when a 32-bit process runs under
// 64-bit Windows (NT platform only).
std::string OsTypeName(const OsVersion& version, bool workstation, bool wow64);

std::string ProbeOsBuild(const SystemQuery& system) noexcept;   // decimal; low 16 bits on the 9x platform
std::string ProbeOsUpdate(const SystemQuery& system) noexcept;  // the service pack text, trimmed

// The English name of the system's default language, from the installed locales.
std::string ProbeOsLanguage(const SystemQuery& system) noexcept;

// The character set of the system's ANSI code page, in decimal (134 for code page 936).
std::string ProbeOsCharset(const SystemQuery& system) noexcept;

}  // namespace tarvex
