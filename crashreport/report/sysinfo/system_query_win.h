// The running Windows system's answers to the probes' questions. Split over
// system_query_win.cpp (registry, user, version, memory, disk, locales),
// system_query_devices_win.cpp (screen, display device, printer, version
// resources) and system_query_network_win.cpp (IP helper).
#pragma once

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

class WindowsSystemQuery final : public SystemQuery {
 public:
  std::optional<std::string> RegistryValue(std::string_view key, std::string_view name) const override;
  std::optional<std::string> RegistrySubKey(std::string_view key, uint32_t index) const override;
  std::optional<std::string> UserName() const override;
  std::optional<std::string> ComputerName() const override;
  std::optional<std::vector<Privilege>> TokenPrivileges() const override;
  std::optional<OsVersion> Version() const override;
  std::optional<uint8_t> ProductType() const override;
  std::optional<bool> IsWow64() const override;
  std::optional<MemoryStatus> Memory() const override;
  std::optional<std::string> ModuleFileName() const override;
  std::optional<DiskSpace> Disk(const std::string& root) const override;
  uint32_t TickCount() const override;
  std::optional<ScreenInfo> Screen() const override;
  std::optional<DisplayDevice> FirstDisplayDevice() const override;
  std::optional<std::string> ProfileString(std::string_view section, std::string_view key) const override;
  std::optional<std::string> DefaultPrinter() const override;
  std::optional<PrinterDriver> DriverOfPrinter(const std::string& printer) const override;
  std::optional<uint32_t> FileTranslation(const std::string& file) const override;
  std::optional<std::string> FileVersionValue(const std::string& file, const std::string& subBlock) const override;
  std::vector<std::string> InstalledLocales() const override;
  std::optional<std::string> LocaleText(uint32_t locale, uint32_t kind) const override;
  uint16_t SystemDefaultLangId() const override;
  uint32_t AnsiCodePage() const override;
  std::optional<uint32_t> CharsetOfCodePage(uint32_t codePage) const override;
  std::optional<std::vector<NetworkAdapter>> NetworkAdapters() const override;
};

}  // namespace tarvex
