// The probes against the real system they run on (Windows or Wine).
#include <windows.h>

#include <regex>

#include <gtest/gtest.h>

#include "crashreport/report/sysinfo/sysinfo_file_version.h"
#include "crashreport/report/sysinfo/sysinfo_hardware.h"
#include "crashreport/report/sysinfo/sysinfo_os.h"
#include "crashreport/report/sysinfo/system_facts.h"
#include "tests/support/emulation_win.h"

namespace {

using namespace tarvex;

bool Matches(const std::string& text, const char* pattern) { return std::regex_match(text, std::regex(pattern)); }

// Open handles of this process (registry keys included), found by asking each
// possible handle value: Wine's handle count call always answers 0.
int CountOpenHandles() {
  int count = 0;
  DWORD flags;
  for (uintptr_t handle = 4; handle < 0x10000; handle += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags)) ++count;
  return count;
}

uint64_t LeadingNumber(const std::string& text) { return std::stoull(text); }

TEST(SystemInfoWindows, EveryAlwaysAvailableFactIsSane) {
  const SystemFacts facts = GatherSystemFacts(ThisSystem());
  EXPECT_FALSE(facts.userLogin.empty());
  EXPECT_FALSE(facts.computerName.empty());
  EXPECT_LE(facts.computerName.size(), size_t(MAX_COMPUTERNAME_LENGTH));
  EXPECT_TRUE(Matches(facts.privileges, "(([A-Za-z ]{31}|[A-Za-z]{32,}) - (ON|OFF)\r\n)+")) << facts.privileges;
  EXPECT_NE(facts.privileges.find("SeChangeNotifyPrivilege"), std::string::npos);

  ASSERT_TRUE(Matches(facts.totalMemory, "[1-9][0-9]* Mb")) << facts.totalMemory;
  ASSERT_TRUE(Matches(facts.freeMemory, "[0-9]+ Mb")) << facts.freeMemory;
  // qemu-user cuts the machine's total memory to 32 bits (24105 MB reads as
  // 24105 mod 4096 = 3625 MB) but not the free memory; elsewhere free never
  // exceeds total.
  if (!tarvex::testing::RunsUnderEmulation())
    EXPECT_LE(LeadingNumber(facts.freeMemory), LeadingNumber(facts.totalMemory));
  EXPECT_TRUE(Matches(facts.totalDisk, "[0-9]+(\\.[0-9]?[1-9])? Gb")) << facts.totalDisk;
  EXPECT_TRUE(Matches(facts.freeDisk, "[0-9]+(\\.[0-9]?[1-9])? Gb")) << facts.freeDisk;
  EXPECT_TRUE(Matches(facts.upTime, "([0-9]+ [a-z]+, )*[0-9]+ seconds?")) << facts.upTime;
  EXPECT_FALSE(facts.processor.empty());
  EXPECT_TRUE(Matches(facts.displayMode, "[1-9][0-9]* x [1-9][0-9]*, [1-9][0-9]* bit")) << facts.displayMode;
  EXPECT_TRUE(Matches(facts.displayDpi, "[1-9][0-9]*")) << facts.displayDpi;

  EXPECT_TRUE(facts.osType.starts_with("Microsoft Windows ")) << facts.osType;
  EXPECT_TRUE(Matches(facts.osBuild, "[0-9]+")) << facts.osBuild;
  EXPECT_FALSE(facts.osLanguage.empty());
  CHARSETINFO charset{};
  ASSERT_TRUE(TranslateCharsetInfo(reinterpret_cast<DWORD*>(uintptr_t(GetACP())), &charset, TCI_SRCCODEPAGE));
  EXPECT_EQ(facts.osCharset, std::to_string(charset.ciCharset));
  if (GetACP() == 936) {
    EXPECT_EQ(facts.osCharset, "134");
  }
}

TEST(SystemInfoWindows, NetworkTextsAreNormalisedAndAligned) {
  const NetworkTexts network = ProbeNetwork(ThisSystem());
  if (network.address.empty()) GTEST_SKIP() << "the system lists no network adapter";
  const char* addresses = "[0-9]{3}\\.[0-9]{3}\\.[0-9]{3}\\.[0-9]{3}( - [0-9]{3}\\.[0-9]{3}\\.[0-9]{3}\\.[0-9]{3})*";
  EXPECT_TRUE(Matches(network.address, addresses)) << network.address;
  EXPECT_TRUE(Matches(network.mask, addresses)) << network.mask;
  EXPECT_TRUE(Matches(network.gateway, addresses)) << network.gateway;
  EXPECT_TRUE(Matches(network.dhcp, "(ON |OFF)[ ]{12}( - (ON |OFF)[ ]{12})*")) << network.dhcp;
  EXPECT_EQ(network.mask.size(), network.address.size());
}

TEST(SystemInfoWindows, ProductVersionOfASystemLibrary) {
  char folder[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(folder, MAX_PATH), 0u);
  const std::string version = ProbeProductVersion(ThisSystem(), std::string(folder) + "\\kernel32.dll");
  EXPECT_TRUE(Matches(version, "[0-9]+(\\.[0-9]+)+.*")) << version;
  EXPECT_EQ(ProbeProductVersion(ThisSystem(), std::string(folder) + "\\no-such-file.dll"), "");
}

TEST(SystemInfoWindows, DiskOfTheRunningModulesDrive) {
  const std::optional<std::string> module = ThisSystem().ModuleFileName();
  ASSERT_TRUE(module);
  EXPECT_TRUE(module->ends_with("sysinfo_win_test.exe")) << *module;
  ULARGE_INTEGER freeToCaller, total, totalFree;
  ASSERT_TRUE(GetDiskFreeSpaceExA(DriveRoot(*module).c_str(), &freeToCaller, &total, &totalFree));
  EXPECT_EQ(ProbeTotalDisk(ThisSystem()), FormatGigabytes(total.QuadPart));
  EXPECT_EQ(ThisSystem().Disk("Q:\\no such drive\\"), std::nullopt);
}

TEST(SystemInfoWindows, ProbesUnloadTheLibrariesTheyLoad) {
  const char* loadedByProbes[] = {"iphlpapi.dll", "winspool.drv"};
  for (const char* library : loadedByProbes) ASSERT_EQ(GetModuleHandleA(library), nullptr) << library;
  GatherSystemFacts(ThisSystem());
  for (const char* library : loadedByProbes) EXPECT_EQ(GetModuleHandleA(library), nullptr) << library;
}

TEST(SystemInfoWindows, ProbesCloseEveryHandleAndKeyTheyOpen) {
  // Wine's spooler library leaves a handle behind each time it is loaded
  // afresh; kept loaded here, the count shows only what the probes open.
  const HMODULE spooler = LoadLibraryA("winspool.drv");
  GatherSystemFacts(ThisSystem());  // first use sets up the system's own caches
  const int before = CountOpenHandles();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 5; ++i) GatherSystemFacts(ThisSystem());
  EXPECT_EQ(CountOpenHandles(), before);
  FreeLibrary(spooler);
}

}  // namespace
