#include "crashreport/report/sysinfo/sysinfo_os.h"

#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "rtl/convert.h"
#include "rtl/format.h"

namespace tarvex {
namespace {

std::string MajorMinor(const OsVersion& version) { return rtl::Format("%u.%u", version.major, version.minor); }

std::string Name9x(const OsVersion& version) {
  const std::string_view servicePack = TrimText(version.servicePack);
  if (version.minor < 10) return servicePack == "B" ? "95 OSR 2" : "95";
  if (version.minor < 90) return servicePack == "A" ? "98 SE" : "98";
  if (version.minor == 90) return "ME";
  return MajorMinor(version);
}

std::string NameNT(const OsVersion& version, bool workstation) {
  if (version.major == 4) return "NT 4.0";
  if (version.major == 5) {
    switch (version.minor) {
      case 0: return "2000";
      case 1: return "XP";
      case 2: return workstation ? "XP" : "2003";  // XP on 64-bit processors shares 5.2 with Server 2003
    }
  }
  if (version.major == 6) {
    switch (version.minor) {
      case 0: return workstation ? "Vista" : "Server 2008";
      case 1: return workstation ? "7" : "Server 2008 R2";
    }
  }
  return MajorMinor(version);
}

// The locale id within an enumerated locale text: 4 hexadecimal digits from its fifth character.
std::optional<uint32_t> LocaleIdOf(const std::string& text) {
  if (text.size() < 8) return std::nullopt;
  uint32_t id = 0;
  for (char c : text.substr(4, 4)) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    id = id << 4 | uint32_t(digit);
  }
  return id;
}

}  // namespace

std::string OsTypeName(const OsVersion& version, bool workstation, bool wow64) {
  std::string name = "Microsoft Windows ";
  if (version.platform == kPlatformWindows9x) {
    name += Name9x(version);
  } else if (version.platform == kPlatformNT) {
    name += NameNT(version, workstation);
    if (wow64) name += " (64 bit)";
  }
  return name;
}

std::string ProbeOsType(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const std::optional<OsVersion> version = system.Version();
    if (!version) return std::string();
    return OsTypeName(*version, system.ProductType() == kProductWorkstation, system.IsWow64().value_or(false));
  });
}

std::string ProbeOsBuild(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const std::optional<OsVersion> version = system.Version();
    if (!version) return std::string();
    return rtl::Format("%u", version->platform == kPlatformWindows9x ? version->build & 0xFFFF : version->build);
  });
}

std::string ProbeOsUpdate(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const std::optional<OsVersion> version = system.Version();
    return version ? std::string(TrimText(version->servicePack)) : std::string();
  });
}

std::string ProbeOsLanguage(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const uint32_t language = system.SystemDefaultLangId();
    for (const std::string& locale : system.InstalledLocales()) {
      const std::optional<uint32_t> id = LocaleIdOf(locale);
      if (id != language) continue;
      if (system.LocaleText(*id, kLocaleLanguageName).value_or("").empty()) return std::string();
      return system.LocaleText(*id, kLocaleEnglishLanguageName).value_or("");
    }
    return std::string();
  });
}

std::string ProbeOsCharset(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const std::string text = system.LocaleText(kLocaleSystemDefault, kLocaleDefaultAnsiCodePage).value_or("");
    const std::optional<int32_t> number = rtl::TryStrToInt(text);
    const uint32_t codePage = number && *number >= 0 ? uint32_t(*number) : system.AnsiCodePage();
    const std::optional<uint32_t> charset = system.CharsetOfCodePage(codePage);
    return charset ? rtl::Format("%u", *charset) : std::string();
  });
}

}  // namespace tarvex
