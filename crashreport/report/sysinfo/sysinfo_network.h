// The network probe: addresses, DNS servers and DHCP state of every adapter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crashreport/report/sysinfo/system_query.h"

namespace tarvex {

// One text per report item; several adapters are joined by " - " in list
// order, e.g. address "192.168.001.010 - 010.000.000.005".
struct NetworkTexts {
  std::string address;
  std::string mask;
  std::string gateway;
  std::string dns1;
  std::string dns2;
  std::string dhcp;  // "ON" or "OFF", padded to 15 characters per adapter
};

// All six texts empty when the system cannot list its adapters.
NetworkTexts ProbeNetwork(const SystemQuery& system) noexcept;
NetworkTexts FormatNetwork(const std::vector<NetworkAdapter>& adapters);

// Every dot-separated part zero-filled to 3 digits ("10.0.0.1" gives
// "010.000.000.001"); an empty address gives "000.000.000.000".
std::string NormalizeAddress(std::string_view address);

}  // namespace tarvex
