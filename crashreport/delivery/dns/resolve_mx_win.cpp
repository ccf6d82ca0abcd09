#include "crashreport/delivery/dns/resolve_mx.h"

#include <windows.h>

#include <optional>
#include <random>

#include "crashreport/delivery/dns/dns_servers.h"
#include "crashreport/delivery/dns/mx_answer.h"
#include "crashreport/delivery/dns/mx_query.h"
#include "crashreport/delivery/net/client_socket.h"
#include "crashreport/delivery/net/socket_errors.h"

namespace tarvex {

namespace {

constexpr int kAttemptsPerServer = 3;

uint16_t RandomQueryId() {
  try {
    static std::random_device device;
    return static_cast<uint16_t>(device());
  } catch (...) {  // no random source: the performance counter still varies per query
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<uint16_t>(counter.LowPart ^ counter.LowPart >> 16 ^ GetTickCount());
  }
}

// One query to one server; the host, or nothing when this attempt gave none.
std::optional<std::string> AskOnce(const std::string& server, uint16_t port, std::string_view domain,
                                   uint32_t waitMs) {
  const uint16_t id = RandomQueryId();
  const std::optional<std::vector<uint8_t>> query = BuildMxQuery(domain, id);
  if (!query) return std::nullopt;
  TTarvexClientSocket socket(server, port, false, waitMs);
  socket.Connect();
  const std::string_view bytes(reinterpret_cast<const char*>(query->data()), query->size());
  if (socket.SendText(bytes) != static_cast<int>(bytes.size())) return std::nullopt;
  const DWORD start = GetTickCount();
  try {
    for (DWORD waited = 0; waited < waitMs; waited = GetTickCount() - start) {
      const std::string datagram = socket.ReceiveWithin(waitMs - waited);
      if (datagram.empty()) return std::nullopt;
      const MxAnswer answer = ReadMxAnswer(
          std::span(reinterpret_cast<const uint8_t*>(datagram.data()), datagram.size()), id);
      if (answer.Kind == MxAnswerKind::kFound) return answer.Host;
      if (answer.Kind == MxAnswerKind::kNoHost) return std::nullopt;
    }
  } catch (const ETarvexSocketError&) {  // the server's port refused the datagram
  }
  return std::nullopt;
}

}  // namespace

std::string ResolveMX(std::string_view address, uint32_t timeoutMs, const std::vector<std::string>& servers,
                      uint16_t port) {
  const std::string_view domain = MailDomain(address);
  const uint32_t baseWait = (timeoutMs + 150) / 3;
  if (BuildMxQuery(domain, 0))
    for (const std::string& server : servers)
      for (int attempt = 0; attempt < kAttemptsPerServer; ++attempt)
        if (std::optional<std::string> host = AskOnce(server, port, domain, baseWait + 100 * attempt)) return *host;
  throw ETarvexSocketError("Cannot resolve the \"" + std::string(domain) + "\" MX record.");
}

std::string ResolveMX(std::string_view address, uint32_t timeoutMs) {
  return ResolveMX(address, timeoutMs, GetDnsServers());
}

}  // namespace tarvex
