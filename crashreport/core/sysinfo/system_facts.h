// Every system fact of the bug report, gathered in one pass of the probes.
#pragma once

#include <string>
#include <vector>

#include "crashreport/core/sysinfo/sysinfo_network.h"
#include "crashreport/core/sysinfo/system_query.h"

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

// The facts in the order of the report, each with the index of its label
// among the message texts and that text's default wording.
struct SystemFactItem {
  int labelText;
  const char* defaultLabel;
  const std::string* value;
};
struct SystemFactSection {
  int captionText;
  const char* defaultCaption;
  std::vector<SystemFactItem> items;
};
std::vector<SystemFactSection> ReportOrder(const SystemFacts& facts);

}  // namespace tarvex
