#include "crashreport/report/sysinfo/sysinfo_user.h"

#include <mutex>

#include "crashreport/report/sysinfo/sysinfo_text.h"

namespace tarvex {
namespace {

struct RegisteredPlace {
  const char* key;
  const char* owner;
  const char* organisation;
};

constexpr RegisteredPlace kRegisteredPlaces[] = {
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION", "RegisteredOwner", "RegisteredOrganization"},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION", "RegisteredOwner", "RegisteredOrganization"},
    {"SOFTWARE\\MICROSOFT\\MS SETUP (ACME)\\USER INFO", "DefName", "DefCompany"},
};

std::string RegisteredValue(const SystemQuery& system, const char* RegisteredPlace::*name) {
  std::string value;
  for (const RegisteredPlace& place : kRegisteredPlaces) {
    value = RegistryText(system.RegistryValue(place.key, place.*name));
    if (!value.empty()) break;
  }
  // Setup of Vista and later writes this placeholder when the user gave no name.
  if (value == "Microsoft") {
    const std::optional<OsVersion> version = system.Version();
    if (version && version->platform == kPlatformNT && version->major > 5) value.clear();
  }
  return value;
}

constexpr size_t kPrivilegeNameWidth = 31;

// The e-mail address the user gave (RememberUserEmail), read by ProbeUserEmail
// in any thread: guarded by emailLock.
std::mutex emailLock;
std::string userEmail;

}  // namespace

std::string ProbeUserLogin(const SystemQuery& system) noexcept {
  return Guarded([&] { return system.UserName().value_or(""); });
}

std::string ProbeComputerName(const SystemQuery& system) noexcept {
  return Guarded([&] { return system.ComputerName().value_or(""); });
}

std::string ProbeUserName(const SystemQuery& system) noexcept {
  return Guarded([&] { return RegisteredValue(system, &RegisteredPlace::owner); });
}

std::string ProbeCompany(const SystemQuery& system) noexcept {
  return Guarded([&] { return RegisteredValue(system, &RegisteredPlace::organisation); });
}

std::string FormatPrivileges(const std::vector<Privilege>& privileges) {
  std::string text;
  for (const Privilege& privilege : privileges) {
    text += PadRight(privilege.name, kPrivilegeNameWidth);
    text += privilege.attributes & kPrivilegeEnabled ? " - ON\r\n" : " - OFF\r\n";
  }
  return text;
}

std::string ProbePrivileges(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const auto privileges = system.TokenPrivileges();
    return privileges ? FormatPrivileges(*privileges) : std::string();
  });
}

void RememberUserEmail(std::string_view email) {
  const std::string trimmed(TrimText(email));
  std::lock_guard lock(emailLock);
  userEmail = trimmed;
}

std::string ProbeUserEmail() noexcept {
  return Guarded([] {
    std::lock_guard lock(emailLock);
    return userEmail;
  });
}

}  // namespace tarvex
