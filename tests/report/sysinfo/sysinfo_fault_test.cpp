// Whatever the system answers, every probe returns its fall-back text and raises nothing.
#include <functional>

#include <gtest/gtest.h>

#include "crashreport/report/sysinfo/sysinfo_file_version.h"
#include "crashreport/report/sysinfo/sysinfo_hardware.h"
#include "crashreport/report/sysinfo/sysinfo_network.h"
#include "crashreport/report/sysinfo/sysinfo_os.h"
#include "crashreport/report/sysinfo/sysinfo_printer.h"
#include "crashreport/report/sysinfo/sysinfo_user.h"
#include "crashreport/report/sysinfo/sysinfo_video.h"
#include "crashreport/report/sysinfo/system_facts.h"
#include "fake_system.h"

namespace {

using namespace tarvex;
using tarvex::testing::FakeSystem;

struct ProbeCase {
  const char* name;
  std::function<std::string(const SystemQuery&)> probe;
  const char* fallback;
};

const ProbeCase kProbes[] = {
    {"UserLogin", ProbeUserLogin, ""},
    {"UserName", ProbeUserName, ""},
    {"Company", ProbeCompany, ""},
    {"Privileges", ProbePrivileges, ""},
    {"ComputerName", ProbeComputerName, ""},
    {"TotalMemory", ProbeTotalMemory, ""},
    {"FreeMemory", ProbeFreeMemory, ""},
    {"TotalDisk", ProbeTotalDisk, ""},
    {"FreeDisk", ProbeFreeDisk, ""},
    {"Processor", ProbeProcessor, "Unknown processor"},
    {"DisplayMode", ProbeDisplayMode, ""},
    {"DisplayDpi", ProbeDisplayDpi, ""},
    {"VideoCard", ProbeVideoCard, ""},
    {"Printer", ProbePrinter, ""},
    {"OsType", ProbeOsType, ""},
    {"OsBuild", ProbeOsBuild, ""},
    {"OsUpdate", ProbeOsUpdate, ""},
    {"OsLanguage", ProbeOsLanguage, ""},
    {"OsCharset", ProbeOsCharset, ""},
    {"ProductVersion", [](const SystemQuery& s) { return ProbeProductVersion(s, "C:\\x.dll"); }, ""},
    {"Network", [](const SystemQuery& s) { return ProbeNetwork(s).address; }, ""},
};

// Every question fails: no key, no value, no library, no function, refused calls.
TEST(ProbeFaults, ASystemThatAnswersNothingGivesTheFallbacks) {
  FakeSystem silent;
  for (const OsVersion& version : {OsVersion{kPlatformNT, 5, 1, 0, ""}, OsVersion{kPlatformWindows9x, 4, 10, 0, ""}}) {
    silent.version = std::nullopt;
    for (const ProbeCase& c : kProbes) EXPECT_EQ(c.probe(silent), c.fallback) << c.name;
    // With only the version known, the version probes answer and the rest still fall back.
    silent.version = version;
    for (const ProbeCase& c : kProbes) {
      if (std::string(c.name).starts_with("Os")) continue;
      EXPECT_EQ(c.probe(silent), c.fallback) << c.name;
    }
  }
}

TEST(ProbeFaults, AQueryLayerThatThrowsGivesTheFallbacks) {
  FakeSystem raising;
  raising.raises = true;
  for (const ProbeCase& c : kProbes) EXPECT_EQ(c.probe(raising), c.fallback) << c.name;
  EXPECT_EQ(ProbeSystemUpTime(raising), "");  // not even "0 second": the counter was never read
  const NetworkTexts network = ProbeNetwork(raising);
  for (const std::string* text : {&network.address, &network.mask, &network.gateway, &network.dns1, &network.dns2,
                                  &network.dhcp})
    EXPECT_EQ(*text, "");
}

// A system that raises midway, after some answers: the probe keeps nothing half-built.
class RaisesAfter : public FakeSystem {
 public:
  mutable int answersLeft = 0;
  std::optional<std::string> RegistryValue(std::string_view key, std::string_view name) const override {
    if (answersLeft-- <= 0) throw std::bad_alloc();
    return FakeSystem::RegistryValue(key, name);
  }
};

TEST(ProbeFaults, ARegistryThatFailsMidwayFallsBackWholly) {
  RaisesAfter system;
  system.version = OsVersion{kPlatformNT, 5, 1, 0, ""};
  system.displayDevice = DisplayDevice{"Card", "PCI\\X"};
  system.SetRegistryText("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "VendorIdentifier", "GenuineIntel");
  for (int answers = 0; answers < 3; ++answers) {
    system.answersLeft = answers;
    EXPECT_EQ(ProbeProcessor(system), "Unknown processor") << answers;
    system.answersLeft = answers;
    EXPECT_EQ(ProbeVideoCard(system), "") << answers;
  }
}

TEST(ProbeFaults, GatheringEveryFactFromABrokenSystemRaisesNothing) {
  FakeSystem raising;
  raising.raises = true;
  const SystemFacts facts = GatherSystemFacts(raising);
  for (const SystemFactSection& section : ReportOrder(facts))
    for (const SystemFactItem& item : section.items)
      EXPECT_TRUE(item.value->empty() || *item.value == "Unknown processor") << kDefaultMessageTexts[item.labelText];
}

}  // namespace
