#include "crashreport/report/sysinfo/system_facts.h"

#include "crashreport/report/sysinfo/sysinfo_hardware.h"
#include "crashreport/report/sysinfo/sysinfo_os.h"
#include "crashreport/report/sysinfo/sysinfo_printer.h"
#include "crashreport/report/sysinfo/sysinfo_user.h"
#include "crashreport/report/sysinfo/sysinfo_video.h"

namespace tarvex {

SystemFacts GatherSystemFacts(const SystemQuery& system) noexcept {
  SystemFacts facts;  // every probe is noexcept and moving its text cannot throw
  facts.userLogin = ProbeUserLogin(system);
  facts.userName = ProbeUserName(system);
  facts.userEmail = ProbeUserEmail();
  facts.company = ProbeCompany(system);
  facts.privileges = ProbePrivileges(system);
  facts.computerName = ProbeComputerName(system);
  facts.totalMemory = ProbeTotalMemory(system);
  facts.freeMemory = ProbeFreeMemory(system);
  facts.totalDisk = ProbeTotalDisk(system);
  facts.freeDisk = ProbeFreeDisk(system);
  facts.upTime = ProbeSystemUpTime(system);
  facts.processor = ProbeProcessor(system);
  facts.displayMode = ProbeDisplayMode(system);
  facts.displayDpi = ProbeDisplayDpi(system);
  facts.videoCard = ProbeVideoCard(system);
  facts.printer = ProbePrinter(system);
  facts.osType = ProbeOsType(system);
  facts.osBuild = ProbeOsBuild(system);
  facts.osUpdate = ProbeOsUpdate(system);
  facts.osLanguage = ProbeOsLanguage(system);
  facts.osCharset = ProbeOsCharset(system);
  facts.network = ProbeNetwork(system);
  return facts;
}

std::vector<SystemFactSection> ReportOrder(const SystemFacts& f) {
  const NetworkTexts& n = f.network;
  return {
      {55, {{56, &f.userLogin}, {57, &f.userName}, {58, &f.userEmail}, {59, &f.company}, {60, &f.privileges}}},
      {66, {{67, &f.computerName}, {68, &f.totalMemory}, {69, &f.freeMemory}, {70, &f.totalDisk}, {71, &f.freeDisk},
            {72, &f.upTime}, {73, &f.processor}, {74, &f.displayMode}, {75, &f.displayDpi}, {76, &f.videoCard},
            {77, &f.printer}}},
      {78, {{79, &f.osType}, {80, &f.osBuild}, {81, &f.osUpdate}, {82, &f.osLanguage}, {83, &f.osCharset}}},
      {84, {{85, &n.address}, {86, &n.mask}, {87, &n.gateway}, {88, &n.dns1}, {89, &n.dns2}, {90, &n.dhcp}}},
  };
}

}  // namespace tarvex
