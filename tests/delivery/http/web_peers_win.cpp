#include "tests/delivery/http/web_peers_win.h"

#include <winsock2.h>
#include <windows.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tarvex::webtest {
namespace {

std::string Unhex(const std::string& hex) {
  if (hex == "-") return {};
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::string WinePath(std::string unixPath) {
  for (char& c : unixPath)
    if (c == '/') c = '\\';
  return "Z:" + unixPath;
}

}  // namespace

uint16_t PeerPort(const char* name) {
  const char* value = std::getenv(name);
  EXPECT_NE(value, nullptr) << name << " is not set: run through peers/run_with_peers.py";
  return value ? static_cast<uint16_t>(std::atoi(value)) : 0;
}

std::string PeerPath(const char* name) {
  const char* value = std::getenv(name);
  EXPECT_NE(value, nullptr) << name << " is not set: run through peers/run_with_peers.py";
  return value ? WinePath(value) : std::string();
}

std::optional<TRecord> ReadRecord(const std::string& name) {
  std::ifstream file(PeerPath("VX_RECORDS") + "\\" + name + ".txt");
  if (!file) return std::nullopt;
  TRecord record;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string kind, a, b, c, d;
    words >> kind >> a >> b >> c >> d;
    if (kind == "method") record.Method = a;
    else if (kind == "path") record.Path = Unhex(a);
    else if (kind == "authorization") record.Authorization = Unhex(a);
    else if (kind == "proxy-authorization") record.ProxyAuthorization = Unhex(a);
    else if (kind == "body-size") record.BodySize = std::stoull(a);
    else if (kind == "field") record.Fields.emplace_back(Unhex(a), Unhex(b));
    else if (kind == "file")
      record.Files.push_back({Unhex(a), Unhex(b), std::stoull(c), static_cast<uint32_t>(std::stoul(d, nullptr, 16))});
  }
  return record;
}

TRecord Record(const std::string& name) {
  auto record = ReadRecord(name);
  EXPECT_TRUE(record) << "no record " << name;
  return record.value_or(TRecord{});
}

std::vector<TProxyLine> ReadProxyLog() {
  std::ifstream file(PeerPath("VX_PROXY_LOG"));
  std::vector<TProxyLine> lines;
  std::string method, url, authorization;
  while (file >> method >> url >> authorization) lines.push_back({method, Unhex(url), Unhex(authorization)});
  return lines;
}

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t Crc32(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

TTempFolder::TTempFolder() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::string(base) + "vx_web_" + std::to_string(GetCurrentProcessId()) + "_" +
            (test ? test->name() : "suite") + "\\";
  std::filesystem::create_directories(folder_);
}

TTempFolder::~TTempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string TTempFolder::Write(const std::string& name, const std::string& bytes) {
  std::ofstream(folder_ + name, std::ios::binary) << bytes;
  return folder_ + name;
}

TRefusingPort::TRefusingPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
    port_ = ntohs(address.sin_port);
}

TRefusingPort::~TRefusingPort() {
  closesocket(socket_);
  WSACleanup();
}

std::string AwkwardBytes(size_t size, uint8_t seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) % 256);
  if (size > 4) bytes.replace(0, 4, "\r\n\0-", 4);
  return bytes;
}

}  // namespace tarvex::webtest
