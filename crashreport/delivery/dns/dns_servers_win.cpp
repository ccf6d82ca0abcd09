#include "crashreport/delivery/dns/dns_servers.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <vector>

#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {

namespace {

using GetNetworkParamsFn = DWORD(WINAPI*)(FIXED_INFO*, ULONG*);

void AddSystemServers(std::vector<std::string>& servers) {
  const win::Library library("IPHLPAPI.DLL");
  const auto getNetworkParams = library.Function<GetNetworkParamsFn>("GetNetworkParams");
  if (!getNetworkParams) return;
  ULONG size = 0;
  if (getNetworkParams(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size < sizeof(FIXED_INFO)) return;
  std::vector<uint8_t> buffer(size);
  auto* info = reinterpret_cast<FIXED_INFO*>(buffer.data());
  if (getNetworkParams(info, &size) != ERROR_SUCCESS) return;
  for (const IP_ADDR_STRING* entry = &info->DnsServerList; entry; entry = entry->Next)
    AddDnsServer(servers, std::string_view(entry->IpAddress.String, strnlen(entry->IpAddress.String, 16)));
}

}  // namespace

std::vector<std::string> GetDnsServers() {
  std::vector<std::string> servers;
  AddSystemServers(servers);
  servers.emplace_back(kFallbackDnsServer);
  return servers;
}

}  // namespace tarvex
