#include "crashreport/report/sysinfo/sysinfo_video.h"

#include <algorithm>
#include <cctype>

#include "crashreport/report/sysinfo/sysinfo_file_version.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "rtl/format.h"

// Where the registry keeps a display adapter's facts.
//
// NT platform: the adapter's device key is "...\Enum\" + device id + "\" +
// its first instance sub-key. Its "Device Parameters" may name the video key
// by "VideoID"; otherwise the device map's "\Device\Video0" entry holds the
// video key as a kernel path ("\Registry\Machine\System\..."). The video key
// holds the memory size (and, for old drivers, the adapter string and the
// driver's image path); the device key's "Driver" names the driver's class
// key, which holds the driver version.
//
// 9x platform: the device key (or the last numbered display class key) holds
// "Ver" and the description; its "INFO" sub-key holds "VideoMemory".
namespace tarvex {
namespace {

constexpr char kEnumKey[] = "System\\CurrentControlSet\\Enum\\";
constexpr char kVideoKey[] = "System\\CurrentControlSet\\Control\\Video\\";
constexpr char kClassKey[] = "System\\CurrentControlSet\\Control\\Class\\";
constexpr char kDeviceMapKey[] = "Hardware\\Devicemap\\Video";
constexpr char kDisplayClass9xKey[] = "System\\CurrentControlSet\\Services\\Class\\Display";
constexpr char kMemorySize[] = "HardwareInformation.MemorySize";

struct VideoFacts {
  std::string description;
  std::string version;
  uint32_t memory = 0;
};

class Registry {
 public:
  explicit Registry(const SystemQuery& system) : system_(system) {}
  std::optional<std::string> Value(const std::string& key, const char* name) const {
    if (key.empty()) return std::nullopt;
    return system_.RegistryValue(key, name);
  }
  std::string Text(const std::string& key, const char* name) const { return RegistryText(Value(key, name)); }
  uint32_t Dword(const std::string& key, const char* name) const { return RegistryDword(Value(key, name)); }
  const SystemQuery& System() const { return system_; }

 private:
  const SystemQuery& system_;
};

// The video key named by the device map, from "\SYSTEM" on (without regard
// to case) and without its leading backslash; empty when there is none.
std::string VideoKeyFromDeviceMap(const Registry& registry) {
  std::string path = registry.Text(kDeviceMapKey, "\\Device\\Video0");
  std::string upper = path;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  const size_t start = upper.find("\\SYSTEM");
  return start == std::string::npos ? std::string() : path.substr(start + 1);
}

VideoFacts FromDisplayDeviceNT(const Registry& registry, const DisplayDevice& device) {
  VideoFacts facts{device.description, {}, 0};
  std::string deviceKey;  // none when the enumeration gave no id
  if (!device.id.empty()) {
    deviceKey = kEnumKey + device.id;
    if (const auto instance = registry.System().RegistrySubKey(deviceKey, 0)) deviceKey += "\\" + *instance;
  }
  const std::string videoId = deviceKey.empty() ? "" : registry.Text(deviceKey + "\\Device Parameters", "VideoID");
  const std::string videoKey =
      videoId.empty() ? VideoKeyFromDeviceMap(registry) : kVideoKey + videoId + "\\0000";
  facts.memory = registry.Dword(videoKey, kMemorySize);
  if (const std::string driver = registry.Text(deviceKey, "Driver"); !driver.empty())
    facts.version = registry.Text(kClassKey + driver, "DriverVersion");
  return facts;
}

VideoFacts From9xKey(const Registry& registry, const std::string& key, std::string description) {
  return {std::move(description), registry.Text(key, "Ver"), registry.Dword(key + "\\INFO", "VideoMemory")};
}

VideoFacts FromDeviceMapNT(const Registry& registry) {
  const std::string videoKey = VideoKeyFromDeviceMap(registry);
  VideoFacts facts;
  facts.memory = registry.Dword(videoKey, kMemorySize);
  // A wide-character string stored as binary: dropping the zero bytes leaves its ASCII text.
  facts.description = registry.Value(videoKey, "HardwareInformation.AdapterString").value_or("");
  std::erase(facts.description, '\0');
  facts.version = ProbeProductVersion(registry.System(), registry.Text(videoKey, "ImagePath"));
  return facts;
}

bool IsNumberedKey(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Numbered keys are zero-filled to one width; a longer name is a larger number.
bool NumberedKeyAfter(const std::string& name, const std::string& other) {
  return name.size() != other.size() ? name.size() > other.size() : name > other;
}

VideoFacts FromDisplayClass9x(const Registry& registry) {
  std::string last;
  for (uint32_t i = 0;; ++i) {
    const std::optional<std::string> name = registry.System().RegistrySubKey(kDisplayClass9xKey, i);
    if (!name) break;
    if (IsNumberedKey(*name) && (last.empty() || NumberedKeyAfter(*name, last))) last = *name;
  }
  if (last.empty()) return {};
  const std::string key = std::string(kDisplayClass9xKey) + "\\" + last;
  return From9xKey(registry, key, registry.Text(key, "DriverDesc"));
}

VideoFacts GatherVideoFacts(const SystemQuery& system) {
  const Registry registry(system);
  const std::optional<OsVersion> version = system.Version();
  if (!version) return {};
  const bool nt = version->platform == kPlatformNT;
  const bool is9x = version->platform == kPlatformWindows9x;
  const bool enumerationSupported = (is9x && version->minor >= 10) || (nt && version->major >= 5);
  if (enumerationSupported) {
    if (const std::optional<DisplayDevice> device = system.FirstDisplayDevice()) {
      if (nt) return FromDisplayDeviceNT(registry, *device);
      if (is9x) return From9xKey(registry, kEnumKey + device->id, device->description);
    }
  }
  if (nt) return FromDeviceMapNT(registry);
  if (is9x) return FromDisplayClass9x(registry);
  return {};
}

}  // namespace

std::string FormatVideoCard(std::string_view description, std::string_view version, uint32_t memoryBytes) {
  description = TrimText(description);
  if (description.empty() && version.empty() && memoryBytes == 0) return {};
  std::string text(description);
  (text += " (driver ") += version;
  if (memoryBytes != 0) text += rtl::Format(" - RAM %u MB", unsigned(memoryBytes >> 20));
  return text + ")";
}

std::string ProbeVideoCard(const SystemQuery& system) noexcept {
  return Guarded([&] {
    const VideoFacts facts = GatherVideoFacts(system);
    return FormatVideoCard(facts.description, facts.version, facts.memory);
  });
}

}  // namespace tarvex
