// Prepared operating system answers for the probes' tests. Every answer
// starts as a failure (nothing known); a test fills in what its system has.
// With `raises` set every question throws instead, as a broken system layer might.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex::testing {

class FakeSystem : public SystemQuery {
 public:
  // The registry, keys and value names without regard to case, like the real one.
  void SetRegistryBytes(std::string_view key, std::string_view name, std::string bytes) {
    registry[Lower(key) + '|' + Lower(name)] = std::move(bytes);
  }
  void SetRegistryText(std::string_view key, std::string_view name, std::string_view text) {
    SetRegistryBytes(key, name, std::string(text) + '\0');
  }
  void SetRegistryDword(std::string_view key, std::string_view name, uint32_t value) {
    SetRegistryBytes(key, name, std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)});
  }
  void AddSubKey(std::string_view key, std::string name) { subKeys[Lower(key)].push_back(std::move(name)); }
  void SetFileVersion(const std::string& file, uint32_t translation, std::string subBlock, std::string value) {
    fileTranslations[file] = translation;
    fileValues[file + '|' + subBlock] = std::move(value);
  }

  std::map<std::string, std::string> registry;
  std::map<std::string, std::vector<std::string>> subKeys;
  std::optional<std::string> userName, computerName, moduleFileName, defaultPrinter, profileDevice;
  std::optional<std::vector<Privilege>> privileges;
  std::optional<OsVersion> version;
  std::optional<uint8_t> productType;
  std::optional<bool> wow64;
  std::optional<MemoryStatus> memory;
  std::map<std::string, DiskSpace> disks;  // by root
  uint32_t tickCount = 0;
  std::optional<ScreenInfo> screen;
  std::optional<DisplayDevice> displayDevice;
  std::map<std::string, PrinterDriver> printerDrivers;  // by printer
  std::map<std::string, uint32_t> fileTranslations;
  std::map<std::string, std::string> fileValues;
  std::vector<std::string> locales;
  std::map<std::pair<uint32_t, uint32_t>, std::string> localeTexts;  // by locale and kind
  uint16_t defaultLangId = 0;
  uint32_t ansiCodePage = 0;
  std::map<uint32_t, uint32_t> charsets;  // by code page
  std::optional<std::vector<NetworkAdapter>> adapters;
  bool raises = false;

  std::optional<std::string> RegistryValue(std::string_view key, std::string_view name) const override {
    Check();
    return Find(registry, Lower(key) + '|' + Lower(name));
  }
  std::optional<std::string> RegistrySubKey(std::string_view key, uint32_t index) const override {
    Check();
    const auto found = subKeys.find(Lower(key));
    if (found == subKeys.end() || index >= found->second.size()) return std::nullopt;
    return found->second[index];
  }
  std::optional<std::string> UserName() const override { return Check(), userName; }
  std::optional<std::string> ComputerName() const override { return Check(), computerName; }
  std::optional<std::vector<Privilege>> TokenPrivileges() const override { return Check(), privileges; }
  std::optional<OsVersion> Version() const override { return Check(), version; }
  std::optional<uint8_t> ProductType() const override { return Check(), productType; }
  std::optional<bool> IsWow64() const override { return Check(), wow64; }
  std::optional<MemoryStatus> Memory() const override { return Check(), memory; }
  std::optional<std::string> ModuleFileName() const override { return Check(), moduleFileName; }
  std::optional<DiskSpace> Disk(const std::string& root) const override { return Check(), Find(disks, root); }
  uint32_t TickCount() const override { return Check(), tickCount; }
  std::optional<ScreenInfo> Screen() const override { return Check(), screen; }
  std::optional<DisplayDevice> FirstDisplayDevice() const override { return Check(), displayDevice; }
  std::optional<std::string> ProfileString(std::string_view section, std::string_view key) const override {
    Check();
    return section == "windows" && key == "device" ? profileDevice : std::nullopt;
  }
  std::optional<std::string> DefaultPrinter() const override { return Check(), defaultPrinter; }
  std::optional<PrinterDriver> DriverOfPrinter(const std::string& printer) const override {
    return Check(), Find(printerDrivers, printer);
  }
  std::optional<uint32_t> FileTranslation(const std::string& file) const override {
    return Check(), Find(fileTranslations, file);
  }
  std::optional<std::string> FileVersionValue(const std::string& file, const std::string& subBlock) const override {
    return Check(), Find(fileValues, file + '|' + subBlock);
  }
  std::vector<std::string> InstalledLocales() const override { return Check(), locales; }
  std::optional<std::string> LocaleText(uint32_t locale, uint32_t kind) const override {
    return Check(), Find(localeTexts, std::pair(locale, kind));
  }
  uint16_t SystemDefaultLangId() const override { return Check(), defaultLangId; }
  uint32_t AnsiCodePage() const override { return Check(), ansiCodePage; }
  std::optional<uint32_t> CharsetOfCodePage(uint32_t codePage) const override {
    return Check(), Find(charsets, codePage);
  }
  std::optional<std::vector<NetworkAdapter>> NetworkAdapters() const override { return Check(), adapters; }

 private:
  void Check() const {
    if (raises) throw std::runtime_error("system layer failed");
  }
  static std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
  }
  template <typename Map, typename Key>
  static std::optional<typename Map::mapped_type> Find(const Map& map, const Key& key) {
    const auto found = map.find(key);
    if (found == map.end()) return std::nullopt;
    return found->second;
  }
};

}  // namespace tarvex::testing
