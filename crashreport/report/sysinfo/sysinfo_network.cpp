#include "crashreport/report/sysinfo/sysinfo_network.h"

#include "crashreport/report/sysinfo/sysinfo_text.h"

namespace tarvex {
namespace {

constexpr char kSeparator[] = " - ";
constexpr char kNoAddress[] = "000.000.000.000";
constexpr size_t kDhcpWidth = 15;

void AppendItem(std::string& text, std::string_view value) { (text += value) += kSeparator; }

void DropLastSeparator(std::string& text) {
  if (text.ends_with(kSeparator)) text.resize(text.size() - (sizeof kSeparator - 1));
}

}  // namespace

std::string NormalizeAddress(std::string_view address) {
  if (address.empty()) return kNoAddress;
  std::string normalized;
  for (;;) {
    const size_t dot = address.find('.');
    const std::string_view part = address.substr(0, dot);
    if (part.size() < 3) normalized.append(3 - part.size(), '0');
    normalized += part;
    if (dot == std::string_view::npos) return normalized;
    normalized += '.';
    address.remove_prefix(dot + 1);
  }
}

NetworkTexts FormatNetwork(const std::vector<NetworkAdapter>& adapters) {
  NetworkTexts texts;
  for (const NetworkAdapter& adapter : adapters) {
    AppendItem(texts.address, NormalizeAddress(adapter.address));
    AppendItem(texts.mask, NormalizeAddress(adapter.mask));
    AppendItem(texts.gateway, NormalizeAddress(adapter.gateway));
    AppendItem(texts.dhcp, PadRight(adapter.dhcpEnabled ? "ON" : "OFF", kDhcpWidth));
    switch (adapter.dns) {
      case DnsAnswer::kNoInfo:
        break;
      case DnsAnswer::kFailed:
        AppendItem(texts.dns1, kNoAddress);
        AppendItem(texts.dns2, kNoAddress);
        break;
      case DnsAnswer::kServers: {
        const auto& servers = adapter.dnsServers;
        AppendItem(texts.dns1, NormalizeAddress(servers.empty() ? "" : servers[0]));
        AppendItem(texts.dns2, servers.size() > 1 ? NormalizeAddress(servers[1]) : kNoAddress);
        break;
      }
    }
  }
  for (std::string* text : {&texts.address, &texts.mask, &texts.gateway, &texts.dns1, &texts.dns2, &texts.dhcp})
    DropLastSeparator(*text);
  return texts;
}

NetworkTexts ProbeNetwork(const SystemQuery& system) noexcept {
  try {
    const auto adapters = system.NetworkAdapters();
    if (adapters) return FormatNetwork(*adapters);
  } catch (...) {
  }
  return {};
}

}  // namespace tarvex
