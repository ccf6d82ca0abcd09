#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstring>

#include "crashreport/report/sysinfo/system_query_win.h"
#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {
namespace {

using GetAdaptersInfoFn = DWORD(WINAPI*)(IP_ADAPTER_INFO*, ULONG*);
using GetPerAdapterInfoFn = DWORD(WINAPI*)(ULONG, IP_PER_ADAPTER_INFO*, ULONG*);

// A buffer for a list of records, sized in bytes and aligned for `Record`.
template <typename Record>
struct RecordBuffer {
  explicit RecordBuffer(ULONG bytes) : records((bytes + sizeof(Record) - 1) / sizeof(Record)) {}
  Record* get() { return records.data(); }
  std::vector<Record> records;
};

// An address field of the helper's records: at most its 16 characters.
std::string AddressText(const IP_ADDR_STRING& entry) {
  const char* text = entry.IpAddress.String;
  return std::string(text, strnlen(text, sizeof entry.IpAddress.String));
}

void ReadDns(GetPerAdapterInfoFn perAdapterInfo, NetworkAdapter& adapter) {
  ULONG size = 0;
  if (perAdapterInfo(adapter.index, nullptr, &size) != ERROR_BUFFER_OVERFLOW) return;  // no information
  RecordBuffer<IP_PER_ADAPTER_INFO> buffer(size);
  if (perAdapterInfo(adapter.index, buffer.get(), &size) != ERROR_SUCCESS) {
    adapter.dns = DnsAnswer::kFailed;
    return;
  }
  adapter.dns = DnsAnswer::kServers;
  for (const IP_ADDR_STRING* server = &buffer.get()->DnsServerList; server; server = server->Next)
    adapter.dnsServers.push_back(AddressText(*server));
}

}  // namespace

std::optional<std::vector<NetworkAdapter>> WindowsSystemQuery::NetworkAdapters() const {
  const win::Library helper("iphlpapi.dll");
  const auto adaptersInfo = helper.Function<GetAdaptersInfoFn>("GetAdaptersInfo");
  const auto perAdapterInfo = helper.Function<GetPerAdapterInfoFn>("GetPerAdapterInfo");
  if (!adaptersInfo || !perAdapterInfo) return std::nullopt;

  ULONG size = 0;
  if (adaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW) return std::nullopt;
  RecordBuffer<IP_ADAPTER_INFO> buffer(size);
  if (adaptersInfo(buffer.get(), &size) != ERROR_SUCCESS) return std::nullopt;

  std::vector<NetworkAdapter> adapters;
  for (const IP_ADAPTER_INFO* info = buffer.get(); info; info = info->Next) {
    NetworkAdapter adapter;
    adapter.index = info->Index;
    adapter.address = AddressText(info->IpAddressList);
    adapter.mask = std::string(info->IpAddressList.IpMask.String,
                               strnlen(info->IpAddressList.IpMask.String, sizeof info->IpAddressList.IpMask.String));
    adapter.gateway = AddressText(info->GatewayList);
    adapter.dhcpEnabled = info->DhcpEnabled != 0;
    ReadDns(perAdapterInfo, adapter);
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

}  // namespace tarvex
