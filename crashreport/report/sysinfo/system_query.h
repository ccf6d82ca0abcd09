// The questions the system information probes put to the operating system.
//
// Each member answers one system question and nothing more: the probes
// (sysinfo_*.h) hold every rule of what to ask in which order and how to
// print the answer, so those rules run and are tested on any host. The
// Windows answers come from ThisSystem() (system_query_win.cpp), which frees
// every library, key and handle it opens before it returns. A failed or
// impossible question answers std::nullopt (or the empty value documented);
// an implementation may also throw, and the probes turn that into their
// fall-back text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// Platform identifiers of the version information.
inline constexpr uint32_t kPlatformWin32s = 0;
inline constexpr uint32_t kPlatformWindows9x = 1;
inline constexpr uint32_t kPlatformNT = 2;

struct OsVersion {
  uint32_t platform = kPlatformWin32s;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;        // as reported; the 9x platform keeps extra bits above the low 16
  std::string servicePack;   // the service pack text, untrimmed
};

inline constexpr uint8_t kProductWorkstation = 1;

struct MemoryStatus {
  uint64_t totalPhysical = 0;
  uint64_t availablePhysical = 0;
};

struct DiskSpace {
  uint64_t total = 0;
  uint64_t freeToCaller = 0;  // free bytes the calling user may use
};

struct ScreenInfo {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int dpiY = 0;  // logical pixels per inch, vertically
};

inline constexpr uint32_t kPrivilegeEnabled = 0x2;

struct Privilege {
  std::string name;
  uint32_t attributes = 0;  // kPrivilegeEnabled when enabled
};

struct DisplayDevice {
  std::string description;  // the device string
  std::string id;           // the device id: a key below the Enum branch of the registry
};

struct PrinterDriver {
  std::string name;
  std::string file;  // the driver file, full path
};

// The per-adapter DNS answer: no information (the size question did not ask
// for a buffer), a failed read, or the server list in order.
enum class DnsAnswer { kNoInfo, kFailed, kServers };

struct NetworkAdapter {
  uint32_t index = 0;
  std::string address;  // first address of the adapter's list
  std::string mask;     // its mask
  std::string gateway;  // first gateway
  bool dhcpEnabled = false;
  DnsAnswer dns = DnsAnswer::kNoInfo;
  std::vector<std::string> dnsServers;
};

// Locale information kinds.
inline constexpr uint32_t kLocaleSystemDefault = 0x0800;
inline constexpr uint32_t kLocaleLanguageName = 0x0002;         // localized language name
inline constexpr uint32_t kLocaleEnglishLanguageName = 0x1001;  // English language name
inline constexpr uint32_t kLocaleDefaultAnsiCodePage = 0x1004;

class SystemQuery {
 public:
  virtual ~SystemQuery() = default;

  // Registry below HKEY_LOCAL_MACHINE, read access. Key paths have no
  // leading backslash. RegistryValue gives the value's raw bytes (a string
  // value with its terminating zero); RegistrySubKey the name of sub-key
  // number `index` (from 0).
  virtual std::optional<std::string> RegistryValue(std::string_view key, std::string_view name) const = 0;
  virtual std::optional<std::string> RegistrySubKey(std::string_view key, uint32_t index) const = 0;

  virtual std::optional<std::string> UserName() const = 0;      // the login name
  virtual std::optional<std::string> ComputerName() const = 0;
  virtual std::optional<std::vector<Privilege>> TokenPrivileges() const = 0;  // of this process, all names looked up

  virtual std::optional<OsVersion> Version() const = 0;
  virtual std::optional<uint8_t> ProductType() const = 0;  // from the extended version information
  virtual std::optional<bool> IsWow64() const = 0;         // nullopt: the system cannot tell (no such function)

  virtual std::optional<MemoryStatus> Memory() const = 0;
  virtual std::optional<std::string> ModuleFileName() const = 0;            // of the module running the probes
  virtual std::optional<DiskSpace> Disk(const std::string& root) const = 0;  // root such as "C:\"; nullopt also when the system lacks the call
  virtual uint32_t TickCount() const = 0;                                    // milliseconds since the system started
  virtual std::optional<ScreenInfo> Screen() const = 0;

  // Display device 0; nullopt when the system has no display-device
  // enumeration, empty fields when it has one but the call fails.
  virtual std::optional<DisplayDevice> FirstDisplayDevice() const = 0;

  virtual std::optional<std::string> ProfileString(std::string_view section, std::string_view key) const = 0;  // the system profile
  virtual std::optional<std::string> DefaultPrinter() const = 0;  // nullopt also when the system lacks the call
  virtual std::optional<PrinterDriver> DriverOfPrinter(const std::string& printer) const = 0;  // nullopt without the spooler

  // A file's version resource: the first language and code page pair
  // (language in the high 16 bits), and a value by its sub-block path.
  virtual std::optional<uint32_t> FileTranslation(const std::string& file) const = 0;
  virtual std::optional<std::string> FileVersionValue(const std::string& file, const std::string& subBlock) const = 0;

  virtual std::vector<std::string> InstalledLocales() const = 0;  // as enumerated: 8 hexadecimal digits each
  virtual std::optional<std::string> LocaleText(uint32_t locale, uint32_t kind) const = 0;
  virtual uint16_t SystemDefaultLangId() const = 0;
  virtual uint32_t AnsiCodePage() const = 0;
  virtual std::optional<uint32_t> CharsetOfCodePage(uint32_t codePage) const = 0;

  // nullopt when the IP helper library or one of its adapter functions is
  // missing, or the adapter list cannot be read.
  virtual std::optional<std::vector<NetworkAdapter>> NetworkAdapters() const = 0;
};

// The running system's answers (Windows only).
const SystemQuery& ThisSystem();

}  // namespace tarvex
