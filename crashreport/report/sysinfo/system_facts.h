// Every system fact of the bug report, gathered in one pass of the probes.
#pragma once

#include <string>
#include <vector>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/report/sysinfo/sysinfo_network.h"
#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

struct SystemFacts {
  // User
  std::string userLogin, userName, userEmail, company, privileges;
  // Computer
  std::string computerName, totalMemory, freeMemory, totalDisk, freeDisk, upTime, processor, displayMode,
      displayDpi, videoCard, printer;
  // Operating system
  std::string osType, osBuild, osUpdate, osLanguage, osCharset;
  // Network
  NetworkTexts network;
};

// Runs every probe; never raises (a fact that cannot be had is empty or its fall-back).
SystemFacts GatherSystemFacts(const SystemQuery& system) noexcept;

// The facts in the order of the report, each with the message text of its
// label (the options' texts give the words).
struct SystemFactItem {
  TMessageText labelText;
  const std::string* value;
};
struct SystemFactSection {
  TMessageText captionText;
  std::vector<SystemFactItem> items;
};
std::vector<SystemFactSection> ReportOrder(const SystemFacts& facts);

}  // namespace tarvex
