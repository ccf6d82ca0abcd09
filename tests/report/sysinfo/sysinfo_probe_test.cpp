// The probes' rules of what to ask and in which order, over prepared system answers.
#include <gtest/gtest.h>

#include "crashreport/report/sysinfo/sysinfo_file_version.h"
#include "crashreport/report/sysinfo/sysinfo_hardware.h"
#include "crashreport/report/sysinfo/sysinfo_network.h"
#include "crashreport/report/sysinfo/sysinfo_os.h"
#include "crashreport/report/sysinfo/sysinfo_printer.h"
#include "crashreport/report/sysinfo/sysinfo_user.h"
#include "crashreport/report/sysinfo/sysinfo_video.h"
#include "fake_system.h"

namespace {

using namespace tarvex;
using tarvex::testing::FakeSystem;

constexpr char kNtKey[] = "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION";
constexpr char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kSetupKey[] = "SOFTWARE\\MICROSOFT\\MS SETUP (ACME)\\USER INFO";

const OsVersion kXp{kPlatformNT, 5, 1, 2600, "Service Pack 3"};
const OsVersion kSeven{kPlatformNT, 6, 1, 7601, " Service Pack 1 "};
const OsVersion kNinetyEight{kPlatformWindows9x, 4, 10, 0x040A08AE, " A "};

TEST(RegisteredOwner, FirstNonEmptyPlaceWinsAndVistaPlaceholderIsDropped) {
  const struct {
    const char *nt, *windows, *setup;
    OsVersion version;
    const char* owner;
  } cases[] = {
      {"Ann", "Bob", "Cid", kXp, "Ann"},
      {"", "Bob", "Cid", kXp, "Bob"},
      {nullptr, nullptr, "Cid", kXp, "Cid"},
      {nullptr, nullptr, nullptr, kXp, ""},
      {"Microsoft", "Bob", nullptr, kXp, "Microsoft"},  // a real name before Vista
      {"Microsoft", "Bob", nullptr, kSeven, ""},        // the placeholder from Vista on
      {"microsoft", nullptr, nullptr, kSeven, "microsoft"},
      {nullptr, nullptr, "Microsoft", {kPlatformWindows9x, 6, 0, 0, ""}, "Microsoft"},
  };
  for (const auto& c : cases) {
    FakeSystem owner, organisation;
    owner.version = organisation.version = c.version;
    const auto set = [&](const char* key, const char* ownerName, const char* organisationName, const char* value) {
      if (!value) return;
      owner.SetRegistryText(key, ownerName, value);
      organisation.SetRegistryText(key, organisationName, value);
    };
    set(kNtKey, "RegisteredOwner", "RegisteredOrganization", c.nt);
    set(kWindowsKey, "RegisteredOwner", "RegisteredOrganization", c.windows);
    set(kSetupKey, "DefName", "DefCompany", c.setup);
    EXPECT_EQ(ProbeUserName(owner), c.owner) << c.owner;
    EXPECT_EQ(ProbeCompany(organisation), c.owner) << c.owner;
  }
}

TEST(RegisteredOwner, OwnerAndOrganisationAreSeparateValues) {
  FakeSystem system;
  system.SetRegistryText(kNtKey, "RegisteredOwner", "Ann");
  system.SetRegistryText(kWindowsKey, "RegisteredOrganization", "Zorvik Ltd");
  EXPECT_EQ(ProbeUserName(system), "Ann");
  EXPECT_EQ(ProbeCompany(system), "Zorvik Ltd");
}

TEST(UserEmail, RemembersTheTrimmedAddress) {
  RememberUserEmail("  ann@example.test \r\n");
  EXPECT_EQ(ProbeUserEmail(), "ann@example.test");
  RememberUserEmail("");
  EXPECT_EQ(ProbeUserEmail(), "");
}

TEST(DiskProbe, AsksForTheDriveOfTheRunningModule) {
  FakeSystem system;
  system.moduleFileName.emplace("D:\\Games\\calc.exe");
  system.disks["D:\\"] = {3'221'225'472, 1'610'612'736};
  system.disks["C:\\"] = {1, 1};
  EXPECT_EQ(ProbeTotalDisk(system), "3 Gb");
  EXPECT_EQ(ProbeFreeDisk(system), "1.5 Gb");
  system.moduleFileName = "E:\\calc.exe";  // a drive the system cannot measure
  EXPECT_EQ(ProbeTotalDisk(system), "");
}

TEST(SimpleProbes, FormatTheSystemAnswer) {
  FakeSystem system;
  system.memory = MemoryStatus{536'346'624, 535'298'048};
  system.tickCount = 90'061'000;  // 1 day, 1 hour, 1 minute, 1 second
  system.screen = ScreenInfo{1024, 768, 24, 120};
  system.version = kNinetyEight;
  system.userName = "ann";
  system.computerName = "WORKSHOP";
  system.privileges = std::vector<Privilege>{{"SeChangeNotifyPrivilege", 3}};
  EXPECT_EQ(ProbeTotalMemory(system), "512 Mb");
  EXPECT_EQ(ProbeFreeMemory(system), "510 Mb");
  EXPECT_EQ(ProbeSystemUpTime(system), "1 day, 1 hour, 1 minute, 1 second");
  EXPECT_EQ(ProbeDisplayMode(system), "1024 x 768, 24 bit");
  EXPECT_EQ(ProbeDisplayDpi(system), "120");
  EXPECT_EQ(ProbeOsBuild(system), "2222");  // low 16 bits on the 9x platform
  EXPECT_EQ(ProbeOsUpdate(system), "A");
  EXPECT_EQ(ProbeOsType(system), "Microsoft Windows 98 SE");
  EXPECT_EQ(ProbeUserLogin(system), "ann");
  EXPECT_EQ(ProbeComputerName(system), "WORKSHOP");
  EXPECT_EQ(ProbePrivileges(system), "SeChangeNotifyPrivilege         - ON\r\n");
  system.version = kSeven;
  EXPECT_EQ(ProbeOsBuild(system), "7601");
  EXPECT_EQ(ProbeOsUpdate(system), "Service Pack 1");
}

TEST(OsTypeProbe, WorkstationAndWow64ComeFromTheirOwnQuestions) {
  FakeSystem system;
  system.version = kSeven;
  EXPECT_EQ(ProbeOsType(system), "Microsoft Windows Server 2008 R2");  // product type unknown: not a workstation
  system.productType = kProductWorkstation;
  EXPECT_EQ(ProbeOsType(system), "Microsoft Windows 7");
  system.wow64 = false;
  EXPECT_EQ(ProbeOsType(system), "Microsoft Windows 7");
  system.wow64 = true;
  EXPECT_EQ(ProbeOsType(system), "Microsoft Windows 7 (64 bit)");
  system.productType = 3;  // server
  EXPECT_EQ(ProbeOsType(system), "Microsoft Windows Server 2008 R2 (64 bit)");
}

TEST(ProcessorProbe, ReadsTheFirstProcessorKey) {
  constexpr char kKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
  FakeSystem system;
  system.SetRegistryText(kKey, "VendorIdentifier", "GenuineIntel");
  system.SetRegistryText(kKey, "Identifier", "x86 Family 6");
  EXPECT_EQ(ProbeProcessor(system), "GenuineIntel - x86 Family 6");
  system.SetRegistryText(kKey, "ProcessorNameString", "  Intel(R) Pentium(R) 4 CPU 3.00GHz");
  EXPECT_EQ(ProbeProcessor(system), "Intel(R) Pentium(R) 4 CPU 3.00GHz");
}

TEST(LanguageProbe, EnglishNameOfTheInstalledLocaleMatchingTheDefaultLanguage) {
  FakeSystem system;
  system.locales = {"00000407", "00000409", "00000804", "bogus"};
  for (uint32_t id : {0x0407u, 0x0409u, 0x0804u}) system.localeTexts[{id, kLocaleLanguageName}] = "localized";
  system.localeTexts[{0x0407, kLocaleEnglishLanguageName}] = "German";
  system.localeTexts[{0x0409, kLocaleEnglishLanguageName}] = "English";
  system.localeTexts[{0x0804, kLocaleEnglishLanguageName}] = "Chinese";
  system.defaultLangId = 0x0804;
  EXPECT_EQ(ProbeOsLanguage(system), "Chinese");
  system.defaultLangId = 0x0409;
  EXPECT_EQ(ProbeOsLanguage(system), "English");
  system.defaultLangId = 0x0411;  // not installed
  EXPECT_EQ(ProbeOsLanguage(system), "");
  system.defaultLangId = 0x0407;
  system.localeTexts[{0x0407, kLocaleLanguageName}] = "";  // no localized name: no answer
  EXPECT_EQ(ProbeOsLanguage(system), "");
}

TEST(CharsetProbe, CodePageFromTheLocaleElseTheAnsiCodePage) {
  const struct {
    std::optional<std::string> localeCodePage;
    uint32_t ansiCodePage;
    const char* charset;
  } cases[] = {
      {"936", 1252, "134"},
      {"1252", 936, "0"},
      {"abc", 936, "134"},   // not a number
      {std::nullopt, 936, "134"},
      {"-5", 936, "134"},
      {"65001", 936, ""},    // a code page without a character set
  };
  for (const auto& c : cases) {
    FakeSystem system;
    if (c.localeCodePage) system.localeTexts[{kLocaleSystemDefault, kLocaleDefaultAnsiCodePage}] = *c.localeCodePage;
    system.ansiCodePage = c.ansiCodePage;
    system.charsets = {{936, 134}, {1252, 0}};
    EXPECT_EQ(ProbeOsCharset(system), c.charset) << c.localeCodePage.value_or("(none)");
  }
}

TEST(ProductVersionProbe, FirstTranslationsProductVersionOfMoreThanOneCharacter) {
  FakeSystem system;
  system.SetFileVersion("a.dll", 0x040904B0, "\\StringFileInfo\\040904B0\\ProductVersion", "5.1.2600.5512");
  system.SetFileVersion("b.dll", 0x080403A8, "\\StringFileInfo\\080403A8\\ProductVersion", "7");
  system.SetFileVersion("c.dll", 0x08040000, "\\StringFileInfo\\040904B0\\ProductVersion", "1.0");
  EXPECT_EQ(ProbeProductVersion(system, "a.dll"), "5.1.2600.5512");
  EXPECT_EQ(ProbeProductVersion(system, "b.dll"), "");  // a single character
  EXPECT_EQ(ProbeProductVersion(system, "c.dll"), "");  // no value for the first translation
  EXPECT_EQ(ProbeProductVersion(system, "missing.dll"), "");
}

// A default printer "Office" whose driver file has a version with blanks.
FakeSystem PrinterSystem(const OsVersion& version) {
  FakeSystem system;
  system.version = version;
  system.printerDrivers["Office"] = {"HP LaserJet 4", "C:\\drivers\\hpdrv.dll"};
  system.SetFileVersion("C:\\drivers\\hpdrv.dll", 0x04090000, "\\StringFileInfo\\04090000\\ProductVersion", "6. 1. 7600");
  return system;
}

TEST(PrinterProbe, DefaultPrinterFromTheProfileOnOldSystemsElseFromTheSpooler) {
  FakeSystem xp = PrinterSystem(kXp);
  xp.profileDevice = "Elsewhere,winspool,Ne00:";
  xp.defaultPrinter = "Office";
  EXPECT_EQ(ProbePrinter(xp), "HP LaserJet 4 (driver 6.1.7600)");

  FakeSystem nt4 = PrinterSystem({kPlatformNT, 4, 0, 1381, ""});
  nt4.defaultPrinter = "Elsewhere";
  nt4.profileDevice = "Office,winspool,Ne00:";
  EXPECT_EQ(ProbePrinter(nt4), "HP LaserJet 4 (driver 6.1.7600)");

  FakeSystem me = PrinterSystem({kPlatformWindows9x, 4, 90, 0, ""});
  me.profileDevice = "Office";
  EXPECT_EQ(ProbePrinter(me), "HP LaserJet 4 (driver 6.1.7600)");
}

TEST(PrinterProbe, EmptyWithoutDefaultPrinterOrSpooler) {
  FakeSystem none = PrinterSystem(kXp);
  EXPECT_EQ(ProbePrinter(none), "");
  FakeSystem unknown = PrinterSystem(kXp);
  unknown.defaultPrinter = "Unknown";  // the spooler cannot open it
  EXPECT_EQ(ProbePrinter(unknown), "");
  FakeSystem unversioned = PrinterSystem(kXp);
  unversioned.defaultPrinter = "Office";
  unversioned.fileTranslations.clear();
  EXPECT_EQ(ProbePrinter(unversioned), "HP LaserJet 4 (driver )");
}

NetworkAdapter Adapter(const char* address, const char* gateway, bool dhcp, DnsAnswer dns,
                       std::vector<std::string> servers = {}) {
  return {0, address, "255.255.255.0", gateway, dhcp, dns, std::move(servers)};
}

TEST(NetworkProbe, JoinsAdaptersAndFillsMissingDnsServers) {
  FakeSystem system;
  system.adapters = std::vector<NetworkAdapter>{
      Adapter("192.168.1.10", "192.168.1.1", true, DnsAnswer::kServers, {"192.168.1.1", "8.8.8.8", "9.9.9.9"}),
      Adapter("10.0.0.5", "", false, DnsAnswer::kServers, {"10.0.0.1"}),
      Adapter("10.1.0.5", "10.1.0.1", false, DnsAnswer::kFailed),
  };
  const NetworkTexts texts = ProbeNetwork(system);
  EXPECT_EQ(texts.address, "192.168.001.010 - 010.000.000.005 - 010.001.000.005");
  EXPECT_EQ(texts.mask, "255.255.255.000 - 255.255.255.000 - 255.255.255.000");
  EXPECT_EQ(texts.gateway, "192.168.001.001 - 000.000.000.000 - 010.001.000.001");
  EXPECT_EQ(texts.dns1, "192.168.001.001 - 010.000.000.001 - 000.000.000.000");
  EXPECT_EQ(texts.dns2, "008.008.008.008 - 000.000.000.000 - 000.000.000.000");
  EXPECT_EQ(texts.dhcp, "ON              - OFF             - OFF            ");
}

TEST(NetworkProbe, AdapterWithoutDnsInformationAddsNoDnsEntry) {
  FakeSystem system;
  system.adapters = std::vector<NetworkAdapter>{
      Adapter("10.0.0.5", "10.0.0.1", false, DnsAnswer::kNoInfo),
      Adapter("10.1.0.5", "10.1.0.1", true, DnsAnswer::kServers, {"10.1.0.1"}),
  };
  const NetworkTexts texts = ProbeNetwork(system);
  EXPECT_EQ(texts.address, "010.000.000.005 - 010.001.000.005");
  EXPECT_EQ(texts.dns1, "010.001.000.001");
  EXPECT_EQ(texts.dns2, "000.000.000.000");
  EXPECT_EQ(texts.dhcp, "OFF             - ON             ");
}

TEST(NetworkProbe, OneAdapterWithDhcpOffEndsInTwelveBlanks) {
  FakeSystem system;
  system.adapters = std::vector<NetworkAdapter>{Adapter("127.0.0.1", "", false, DnsAnswer::kServers, {})};
  const NetworkTexts texts = ProbeNetwork(system);
  EXPECT_EQ(texts.dhcp, "OFF" + std::string(12, ' '));
  EXPECT_EQ(texts.dns1, "000.000.000.000");  // an empty server list
  EXPECT_EQ(texts.dns2, "000.000.000.000");
  system.adapters = std::vector<NetworkAdapter>{};
  EXPECT_EQ(ProbeNetwork(system).address, "");
}

// Video card fixtures: the registry of an NT-platform system with one adapter.
constexpr char kDeviceId[] = "PCI\\VEN_10DE&DEV_0402";
constexpr char kDeviceKey[] = "System\\CurrentControlSet\\Enum\\PCI\\VEN_10DE&DEV_0402\\4&1234";
constexpr char kVideoKeyById[] = "System\\CurrentControlSet\\Control\\Video\\{ABC}\\0000";
constexpr char kVideoKeyByMap[] = "SYSTEM\\CurrentControlSet\\Control\\Video\\{MAP}\\0000";

FakeSystem VideoSystem() {
  FakeSystem system;
  system.version = kXp;
  system.AddSubKey("System\\CurrentControlSet\\Enum\\PCI\\VEN_10DE&DEV_0402", "4&1234");
  system.AddSubKey("System\\CurrentControlSet\\Enum\\PCI\\VEN_10DE&DEV_0402", "5&9999");
  system.SetRegistryText(kDeviceKey, "Driver", "{4D36E968}\\0001");
  system.SetRegistryText("System\\CurrentControlSet\\Control\\Class\\{4D36E968}\\0001", "DriverVersion",
                         "6.14.11.6921");
  system.SetRegistryDword(kVideoKeyById, "HardwareInformation.MemorySize", 256u << 20);
  system.SetRegistryText("Hardware\\Devicemap\\Video", "\\Device\\Video0",
                         "\\Registry\\Machine\\SYSTEM\\CurrentControlSet\\Control\\Video\\{MAP}\\0000");
  system.SetRegistryDword(kVideoKeyByMap, "HardwareInformation.MemorySize", 64u << 20);
  return system;
}

TEST(VideoCardProbe, DisplayDeviceWithVideoIdOrDeviceMap) {
  FakeSystem system = VideoSystem();
  system.displayDevice = DisplayDevice{" NVIDIA GeForce 8600 GT ", kDeviceId};
  EXPECT_EQ(ProbeVideoCard(system), "NVIDIA GeForce 8600 GT (driver 6.14.11.6921 - RAM 64 MB)");  // by the device map
  system.SetRegistryText(std::string(kDeviceKey) + "\\Device Parameters", "VideoID", "{ABC}");
  EXPECT_EQ(ProbeVideoCard(system), "NVIDIA GeForce 8600 GT (driver 6.14.11.6921 - RAM 256 MB)");
}

TEST(VideoCardProbe, FailedEnumerationGivesNoDescriptionButKeepsTheDeviceMapMemory) {
  FakeSystem system = VideoSystem();
  system.displayDevice = DisplayDevice{};
  EXPECT_EQ(ProbeVideoCard(system), " (driver  - RAM 64 MB)");
}

TEST(VideoCardProbe, WithoutEnumerationTheNtDeviceMapKeyDescribesTheCard) {
  FakeSystem system = VideoSystem();
  system.SetRegistryBytes(kVideoKeyByMap, "HardwareInformation.AdapterString",
                          std::string("S\0V\0G\0A\0 \0\0\0", 12));
  system.SetRegistryText(kVideoKeyByMap, "ImagePath", "C:\\WINDOWS\\system32\\drivers\\svga.sys");
  system.SetFileVersion("C:\\WINDOWS\\system32\\drivers\\svga.sys", 0x04090000,
                        "\\StringFileInfo\\04090000\\ProductVersion", "5.1.2600.0");
  EXPECT_EQ(ProbeVideoCard(system), "SVGA (driver 5.1.2600.0 - RAM 64 MB)");
  system.version = OsVersion{kPlatformNT, 4, 0, 1381, ""};  // NT 4.0 has no enumeration even when present
  system.displayDevice = DisplayDevice{"ignored", kDeviceId};
  EXPECT_EQ(ProbeVideoCard(system), "SVGA (driver 5.1.2600.0 - RAM 64 MB)");
}

TEST(VideoCardProbe, NinetyEightPlatformPaths) {
  constexpr char kClass[] = "System\\CurrentControlSet\\Services\\Class\\Display";
  FakeSystem system;
  system.version = kNinetyEight;
  for (const char* key : {"0000", "0002", "0001", "Properties"}) system.AddSubKey(kClass, key);
  system.SetRegistryText(std::string(kClass) + "\\0002", "DriverDesc", "Voodoo3");
  system.SetRegistryText(std::string(kClass) + "\\0002", "Ver", "4.10.01.2000");
  system.SetRegistryDword(std::string(kClass) + "\\0002\\INFO", "VideoMemory", 16u << 20);
  system.SetRegistryText(std::string(kClass) + "\\0001", "DriverDesc", "Older card");
  EXPECT_EQ(ProbeVideoCard(system), "Voodoo3 (driver 4.10.01.2000 - RAM 16 MB)");  // last numbered class key

  system.displayDevice = DisplayDevice{"Rage 128", "Display\\0000"};
  system.SetRegistryText("System\\CurrentControlSet\\Enum\\Display\\0000", "Ver", "4.10.2222");
  system.SetRegistryDword("System\\CurrentControlSet\\Enum\\Display\\0000\\INFO", "VideoMemory", 32u << 20);
  EXPECT_EQ(ProbeVideoCard(system), "Rage 128 (driver 4.10.2222 - RAM 32 MB)");
  system.version->minor = 0;  // Windows 95 has no enumeration
  EXPECT_EQ(ProbeVideoCard(system), "Voodoo3 (driver 4.10.01.2000 - RAM 16 MB)");
}

}  // namespace
