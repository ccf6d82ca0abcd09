#include "crashreport/core/sysinfo/system_facts.h"

#include "crashreport/core/sysinfo/sysinfo_hardware.h"
#include "crashreport/core/sysinfo/sysinfo_os.h"
#include "crashreport/core/sysinfo/sysinfo_printer.h"
#include "crashreport/core/sysinfo/sysinfo_user.h"
#include "crashreport/core/sysinfo/sysinfo_video.h"

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
      {55, "User", {{56, "ID", &f.userLogin}, {57, "Name", &f.userName}, {58, "Email", &f.userEmail},
                    {59, "Company", &f.company}, {60, "Privileges", &f.privileges}}},
      {66, "Computer", {{67, "Name", &f.computerName}, {68, "Total Memory", &f.totalMemory},
                        {69, "Free Memory", &f.freeMemory}, {70, "Total Disk", &f.totalDisk},
                        {71, "Free Disk", &f.freeDisk}, {72, "System Up Time", &f.upTime},
                        {73, "Processor", &f.processor}, {74, "Display Mode", &f.displayMode},
                        {75, "Display DPI", &f.displayDpi}, {76, "Video Card", &f.videoCard},
                        {77, "Printer", &f.printer}}},
      {78, "Operating System", {{79, "Type", &f.osType}, {80, "Build #", &f.osBuild}, {81, "Update", &f.osUpdate},
                                {82, "Language", &f.osLanguage}, {83, "Charset", &f.osCharset}}},
      {84, "Network", {{85, "IP Address", &n.address}, {86, "Submask", &n.mask}, {87, "Gateway", &n.gateway},
                       {88, "DNS 1", &n.dns1}, {89, "DNS 2", &n.dns2}, {90, "DHCP", &n.dhcp}}},
  };
}

}  // namespace tarvex
