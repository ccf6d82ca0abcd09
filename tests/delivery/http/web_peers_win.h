// The loopback peers of the web tests as the Windows tests see them: ports
// from the environment the runner (peers/run_with_peers.py) sets, the
// records of what the servers received, files to send.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crashreport/delivery/http/connection_endpoints.h"

namespace tarvex::webtest {

// The port in environment variable `name`; 0 (and a test failure) when unset.
uint16_t PeerPort(const char* name);
// A Unix path from the environment as this program names it ("Z:\...").
std::string PeerPath(const char* name);

struct TRecordedFile {
  std::string Field, FileName;
  uint64_t Size = 0;
  uint32_t Crc = 0;
};

// What the HTTP server received for one request (peers/records.py).
struct TRecord {
  std::string Method, Path, Authorization, ProxyAuthorization;
  uint64_t BodySize = 0;
  std::vector<std::pair<std::string, std::string>> Fields;
  std::vector<TRecordedFile> Files;
};
std::optional<TRecord> ReadRecord(const std::string& name);
// The record, which must exist (a test failure and an empty record when not).
TRecord Record(const std::string& name);

// The proxy's lines: method, absolute URL, Proxy-Authorization.
struct TProxyLine {
  std::string Method, Url, ProxyAuthorization;
};
std::vector<TProxyLine> ReadProxyLog();

std::string FileBytes(const std::string& path);
uint32_t Crc32(const std::string& bytes);

// A fresh folder under the temporary folder, removed with its files at the end.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  // Writes `bytes` to `name` in the folder; its full path.
  std::string Write(const std::string& name, const std::string& bytes);
  std::string Path(const std::string& name) const { return folder_ + name; }

 private:
  std::string folder_;
};

// A loopback port where nothing listens (bound without listening, held while alive).
class TRefusingPort {
 public:
  TRefusingPort();
  ~TRefusingPort();
  uint16_t Port() const { return port_; }

 private:
  uintptr_t socket_;
  uint16_t port_ = 0;
};

// The web endpoint of `address`, with a login apart from it.
inline TWebEndpoint WebAt(std::string address, std::string login = "", std::string password = "") {
  TWebEndpoint endpoint;
  endpoint.Address = std::move(address);
  endpoint.Login = std::move(login);
  endpoint.Password = std::move(password);
  return endpoint;
}

// Bytes with every value, line ends and NULs: what a report file holds at its worst.
std::string AwkwardBytes(size_t size, uint8_t seed);

}  // namespace tarvex::webtest
