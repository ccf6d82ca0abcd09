// The formatting rules of the system information probes, case by case.
#include <gtest/gtest.h>

#include "crashreport/report/sysinfo/sysinfo_file_version.h"
#include "crashreport/report/sysinfo/sysinfo_hardware.h"
#include "crashreport/report/sysinfo/sysinfo_network.h"
#include "crashreport/report/sysinfo/sysinfo_os.h"
#include "crashreport/report/sysinfo/sysinfo_printer.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"
#include "crashreport/report/sysinfo/sysinfo_user.h"
#include "crashreport/report/sysinfo/sysinfo_video.h"

namespace {

using namespace tarvex;

TEST(SystemInfoFormat, MegabytesRoundAnExactHalfToEven) {
  const struct {
    uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 Mb"},
      {536'346'624, "512 Mb"},  // 511.5
      {535'298'048, "510 Mb"},  // 510.5
      {535'298'049, "511 Mb"},  // just above 510.5
      {536'346'623, "511 Mb"},  // just below 511.5
      {(uint64_t(1) << 20) / 2, "0 Mb"},
      {uint64_t(3) << 19, "2 Mb"},  // 1.5
      {uint64_t(16) << 30, "16384 Mb"},
      {~uint64_t(0), "17592186044416 Mb"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMegabytes(c.bytes), c.text) << c.bytes;
}

TEST(SystemInfoFormat, GigabytesShowAtMostTwoDecimalsWithoutTrailingZeros) {
  const struct {
    uint64_t bytes;
    const char* text;
  } cases[] = {
      {3'221'225'472, "3 Gb"},
      {1'610'612'736, "1.5 Gb"},
      {0, "0 Gb"},
      {(uint64_t(1) << 30) + (uint64_t(1) << 30) / 4, "1.25 Gb"},
      {(uint64_t(1) << 30) / 100 * 5, "0.05 Gb"},     // a leading zero in the hundredths stays
      {(uint64_t(1) << 30) * 1999 / 1000, "2 Gb"},    // 1.999 rounds up to a whole number
      {(uint64_t(1) << 30) * 1995 / 1000 - 1, "1.99 Gb"},
      {uint64_t(1000) << 30, "1000 Gb"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGigabytes(c.bytes), c.text) << c.bytes;
}

TEST(SystemInfoFormat, DriveRootOfModulePaths) {
  const struct {
    const char* path;
    const char* root;
  } cases[] = {
      {"C:\\Program Files\\Zorvik\\calc.exe", "C:\\"},
      {"d:calc.exe", "d:\\"},
      {"\\\\server\\share\\tools\\calc.exe", "\\\\server\\share\\"},
      {"\\\\?\\C:\\very\\long\\calc.exe", "C:\\"},
      {"\\\\?\\UNC\\server\\share\\calc.exe", "\\\\server\\share\\"},
      {"\\\\server", "\\"},
      {"calc.exe", "\\"},
      {"", "\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(DriveRoot(c.path), c.root) << c.path;
}

TEST(SystemInfoFormat, ProcessorNameElseVendorAndIdentifier) {
  const struct {
    const char *name, *vendor, *identifier, *text;
  } cases[] = {
      {"  Intel(R) Core(TM) i7 CPU  ", "GenuineIntel", "x86 Family 6", "Intel(R) Core(TM) i7 CPU"},
      {"", "GenuineIntel", "x86 Family 6", "GenuineIntel - x86 Family 6"},
      {" ", " GenuineIntel ", " x86 Family 6 ", "GenuineIntel - x86 Family 6"},
      {"", "AuthenticAMD", "", "AuthenticAMD"},
      {"", "", "x86 Family 6", "Unknown processor"},
      {"", "", "", "Unknown processor"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatProcessor(c.name, c.vendor, c.identifier), c.text) << c.name;
}

TEST(SystemInfoFormat, PrivilegeNamesArePaddedTo31AndNeverCut) {
  const std::string name20 = "SeShutdownPrivilege1";
  const std::string name35 = "SeDelegateSessionUserImpersonatePri";
  ASSERT_EQ(name20.size(), 20u);
  ASSERT_EQ(name35.size(), 35u);
  EXPECT_EQ(FormatPrivileges({{name20, kPrivilegeEnabled}, {name35, 0}, {"SeDebugPrivilege", 0x3}}),
            name20 + std::string(11, ' ') + " - ON\r\n" + name35 + " - OFF\r\n" + "SeDebugPrivilege" +
                std::string(15, ' ') + " - ON\r\n");
  EXPECT_EQ(FormatPrivileges({{"SeBackupPrivilege", 0x1}}), "SeBackupPrivilege" + std::string(14, ' ') + " - OFF\r\n");
  EXPECT_EQ(FormatPrivileges({}), "");
}

TEST(SystemInfoFormat, AddressesAreZeroFilledPerPart) {
  const struct {
    const char *address, *text;
  } cases[] = {
      {"10.0.0.1", "010.000.000.001"},
      {"192.168.1.10", "192.168.001.010"},
      {"255.255.255.0", "255.255.255.000"},
      {"", "000.000.000.000"},
      {"0.0.0.0", "000.000.000.000"},
      {"1234.5", "1234.005"},  // a longer part stays whole
      {"1..2", "001.000.002"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeAddress(c.address), c.text) << c.address;
}

TEST(SystemInfoFormat, OperatingSystemNames) {
  const auto v = [](uint32_t platform, uint32_t major, uint32_t minor, const char* servicePack = "") {
    return OsVersion{platform, major, minor, 0, servicePack};
  };
  const struct {
    OsVersion version;
    bool workstation, wow64;
    const char* text;
  } cases[] = {
      {v(kPlatformWindows9x, 4, 0), false, false, "Microsoft Windows 95"},
      {v(kPlatformWindows9x, 4, 0, " B "), false, false, "Microsoft Windows 95 OSR 2"},
      {v(kPlatformWindows9x, 4, 3, "C"), false, false, "Microsoft Windows 95"},
      {v(kPlatformWindows9x, 4, 10), false, false, "Microsoft Windows 98"},
      {v(kPlatformWindows9x, 4, 10, " A "), false, false, "Microsoft Windows 98 SE"},
      {v(kPlatformWindows9x, 4, 89, "A"), false, false, "Microsoft Windows 98 SE"},
      {v(kPlatformWindows9x, 4, 90), false, true, "Microsoft Windows ME"},
      {v(kPlatformWindows9x, 4, 95), false, false, "Microsoft Windows 4.95"},
      {v(kPlatformNT, 3, 51), true, false, "Microsoft Windows 3.51"},
      {v(kPlatformNT, 4, 0, "Service Pack 6"), true, false, "Microsoft Windows NT 4.0"},
      {v(kPlatformNT, 5, 0), true, false, "Microsoft Windows 2000"},
      {v(kPlatformNT, 5, 1), true, false, "Microsoft Windows XP"},
      {v(kPlatformNT, 5, 2), true, true, "Microsoft Windows XP (64 bit)"},
      {v(kPlatformNT, 5, 2), false, false, "Microsoft Windows 2003"},
      {v(kPlatformNT, 6, 0), true, false, "Microsoft Windows Vista"},
      {v(kPlatformNT, 6, 0), false, false, "Microsoft Windows Server 2008"},
      {v(kPlatformNT, 6, 1), true, true, "Microsoft Windows 7 (64 bit)"},
      {v(kPlatformNT, 6, 1), true, false, "Microsoft Windows 7"},
      {v(kPlatformNT, 6, 1), false, true, "Microsoft Windows Server 2008 R2 (64 bit)"},
      {v(kPlatformNT, 6, 2), true, false, "Microsoft Windows 6.2"},
      {v(kPlatformNT, 10, 0), true, true, "Microsoft Windows 10.0 (64 bit)"},
      {v(kPlatformWin32s, 1, 0), false, true, "Microsoft Windows "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OsTypeName(c.version, c.workstation, c.wow64), c.text)
        << c.version.platform << ' ' << c.version.major << '.' << c.version.minor;
}

TEST(SystemInfoFormat, VideoCardWithAndWithoutMemory) {
  const struct {
    const char *description, *version;
    uint32_t memory;
    const char* text;
  } cases[] = {
      {" NVIDIA GeForce 8600 GT ", "6.14.11.6921", 256u << 20, "NVIDIA GeForce 8600 GT (driver 6.14.11.6921 - RAM 256 MB)"},
      {"Standard VGA", "", 0, "Standard VGA (driver )"},
      {"Card", "1.0", (64u << 20) + 12345, "Card (driver 1.0 - RAM 64 MB)"},  // memory shifted, not rounded
      {"", "", 128u << 20, " (driver  - RAM 128 MB)"},
      {"  ", "", 0, ""},  // nothing known at all
  };
  for (const auto& c : cases) EXPECT_EQ(FormatVideoCard(c.description, c.version, c.memory), c.text) << c.text;
}

TEST(SystemInfoFormat, SmallTextRules) {
  EXPECT_EQ(TrimText(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimText("   "), "");
  EXPECT_EQ(PadRight("OFF", 15), "OFF            ");
  EXPECT_EQ(PadRight("longer than four", 4), "longer than four");
  EXPECT_EQ(RegistryText(std::string("abc\0def", 7)), "abc");
  EXPECT_EQ(RegistryText(std::nullopt), "");
  EXPECT_EQ(RegistryDword(std::string("\x78\x56\x34\x12\xFF", 5)), 0x12345678u);
  EXPECT_EQ(RegistryDword(std::string("\x01\x02", 2)), 0u);
  EXPECT_EQ(ProductVersionPath(0x040904B0), "\\StringFileInfo\\040904B0\\ProductVersion");
  EXPECT_EQ(ProductVersionPath(0x0804ABCD), "\\StringFileInfo\\0804ABCD\\ProductVersion");
  EXPECT_EQ(PrinterFromProfileDevice("HP LaserJet,HPPCL5MS,LPT1:"), "HP LaserJet");
  EXPECT_EQ(PrinterFromProfileDevice("Solo"), "Solo");
}

}  // namespace
