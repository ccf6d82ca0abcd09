// Probes of the report's User section and the computer name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

std::string ProbeUserLogin(const SystemQuery& system) noexcept;
std::string ProbeComputerName(const SystemQuery& system) noexcept;

// The registered owner and organisation: the first non-empty of the three
// registry places (Windows NT key, Windows key, old setup key). From Vista
// on, the placeholder "Microsoft" counts as no answer.
std::string ProbeUserName(const SystemQuery& system) noexcept;
std::string ProbeCompany(const SystemQuery& system) noexcept;

// One line per privilege of this process's token: the name padded to 31
// characters, " - ON" or " - OFF", CR LF. Empty when any step fails.
std::string ProbePrivileges(const SystemQuery& system) noexcept;
std::string FormatPrivileges(const std::vector<Privilege>& privileges);

// The e-mail address the user typed into the exception dialog, trimmed;
// empty until one was typed. The dialog remembers it for the process.
void RememberUserEmail(std::string_view email);
std::string ProbeUserEmail() noexcept;

}  // namespace tarvex
