// What a bug-tracker submission is given and what it answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crashreport/base/options/option_types.h"
#include "crashreport/delivery/http/connection_endpoints.h"
#include "crashreport/delivery/trackers/tracker_codes.h"

namespace tarvex {

struct TTrackerSubmission {
  TTarvexWebDelivery Tracker = wdMantis;  // wdBugzilla, wdFogBugz or wdMantis
  std::string Version, ExceptionType, ExceptionMessage, BugId;
  TWebEndpoint Web;  // WebAddress, WebServerPort; no login (trackers log in by their forms)
  TProxyEndpoint Proxy;
  std::string User, Password;               // TrackerLogin, TrackerLoginPassword
  std::string Project, Category, AssignTo;  // macros already expanded
  std::string Archive;                      // the archive's path; empty: none
  // "name=value": the host's fields, then FogBugzTrialID, VX_OSType,
  // VX_OSBuild and VX_ReproduceText (the tracker's own, never sent as custom fields).
  std::vector<std::string> WebFields;
};

struct TTrackerResult {
  int Code = tcUnknown;    // a TTrackerCode
  int Status = 0;          // the last response's HTTP status code (0: none came)
  std::string StatusText;  // its status text, else the failure's text
  uint32_t ErrorCode = 0;  // the Internet library's code when the last request failed
};

}  // namespace tarvex
