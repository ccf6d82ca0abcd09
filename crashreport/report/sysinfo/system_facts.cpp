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
      {mtUser,
       {{mtUserID, &f.userLogin}, {mtUserName, &f.userName}, {mtUserEmail, &f.userEmail},
        {mtUserCompany, &f.company}, {mtUserPrivileges, &f.privileges}}},
      {mtComputer,
       {{mtComputerName, &f.computerName}, {mtTotalMemory, &f.totalMemory}, {mtFreeMemory, &f.freeMemory},
        {mtTotalDisk, &f.totalDisk}, {mtFreeDisk, &f.freeDisk}, {mtSystemUpTime, &f.upTime},
        {mtProcessor, &f.processor}, {mtDisplayMode, &f.displayMode}, {mtDisplayDPI, &f.displayDpi},
        {mtVideoCard, &f.videoCard}, {mtPrinter, &f.printer}}},
      {mtOperatingSystem,
       {{mtOsType, &f.osType}, {mtOsBuild, &f.osBuild}, {mtOsUpdate, &f.osUpdate}, {mtOsLanguage, &f.osLanguage},
        {mtOsCharset, &f.osCharset}}},
      {mtNetwork,
       {{mtIPAddress, &n.address}, {mtSubmask, &n.mask}, {mtGateway, &n.gateway}, {mtDNS1, &n.dns1},
        {mtDNS2, &n.dns2}, {mtDHCP, &n.dhcp}}},
  };
}

}  // namespace tarvex
