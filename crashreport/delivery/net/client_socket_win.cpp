#include "crashreport/delivery/net/client_socket.h"

#include "crashreport/delivery/net/winsock_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "crashreport/delivery/net/socket_error_text.h"
#include "crashreport/delivery/net/socket_errors.h"
#include "rtl/format.h"

namespace tarvex {

namespace ws = winsock;

namespace {

constexpr long kFionRead = 0x4004667F;
constexpr long kFionBio = static_cast<long>(0x8004667EUL);
constexpr int kWouldBlock = 10035;
constexpr int kReceiveChunk = 64 * 1024;

SOCKET AsSocket(uintptr_t handle) { return static_cast<SOCKET>(handle); }

}  // namespace

TTarvexClientSocket::TTarvexClientSocket(std::string host, uint16_t port, bool isTCP, uint32_t timeoutMs)
    : RemoteHost(std::move(host)), RemotePort(port), SocketType(isTCP ? kStream : kDatagram), ReplyTimeout(timeoutMs) {}

TTarvexClientSocket::~TTarvexClientSocket() {
  if (!IsOpen) return;
  try {
    Disconnect();
  } catch (...) {
    CloseQuietly();
  }
}

void TTarvexClientSocket::Connect() {
  if (IsOpen) return;
  ws::StartWinSock();
  const SOCKET s = ws::socket(AF_INET, SocketType, 0);
  if (s == INVALID_SOCKET)
    RaiseSocketError(rtl::Format("Invalid socket: \"%s\".", ws::WinSockErrorText(ws::WSAGetLastError()).c_str()));
  Handle = s;
  RemoteAddress = {};
  const hostent* host = ws::gethostbyname(RemoteHost.c_str());
  if (host && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list && host->h_addr_list[0])
    std::memcpy(&RemoteAddress.Address, host->h_addr_list[0], 4);
  if (RemoteAddress.Address == 0) {
    CloseQuietly();
    throw ETarvexSocketError("Unable to resolve host \"" + RemoteHost + "\".");
  }
  RemoteAddress.Port = ws::htons(RemotePort);
  // No window notifications, and blocking calls again.
  ws::WSAAsyncSelect(s, nullptr, 0, 0);
  u_long nonBlocking = 0;
  ws::ioctlsocket(s, kFionBio, &nonBlocking);
  if (ws::connect(s, reinterpret_cast<const sockaddr*>(&RemoteAddress), sizeof RemoteAddress) != 0)
    FailAndClose("Connection error: \"%s\"", ws::WSAGetLastError());
  IsOpen = true;
  peerClosed_ = false;
  const auto* address = reinterpret_cast<const uint8_t*>(&RemoteAddress.Address);
  Transcript.clear();
  AppendWithinLimit(Transcript, rtl::Format("Connected to %d.%d.%d.%d port %d\r\n", address[0], address[1], address[2],
                                            address[3], RemotePort));
  LastReply.clear();
}

void TTarvexClientSocket::Disconnect() {
  if (Handle != kNoSocket && ws::closesocket(AsSocket(Handle)) != 0)
    RaiseSocketError(
        rtl::Format("Cannot close the socket: \"%s\"", ws::WinSockErrorText(ws::WSAGetLastError()).c_str()));
  ResetState();
}

void TTarvexClientSocket::ResetState() {
  Handle = kNoSocket;
  RemoteAddress = {};
  IsOpen = false;
  Transcript.clear();
  LastReply.clear();
}

void TTarvexClientSocket::CloseQuietly() {
  if (Handle != kNoSocket) {
    try {
      ws::closesocket(AsSocket(Handle));
    } catch (...) {  // a library that lost its close function: nothing more to do
    }
  }
  ResetState();
}

void TTarvexClientSocket::FailAndClose(const char* format, int code) {
  const std::string message = rtl::Format(format, ws::WinSockErrorText(code).c_str());
  const std::string text = ComposeSocketErrorText(message, {Transcript, LastReply, RemoteHost, RemotePort});
  CloseQuietly();
  throw ETarvexSocketError(text);
}

void TTarvexClientSocket::RaiseSocketError(std::string_view message) const {
  throw ETarvexSocketError(ComposeSocketErrorText(message, {Transcript, LastReply, RemoteHost, RemotePort}));
}

int TTarvexClientSocket::SendBuffer(const void* data, int length) {
  if (!IsOpen) return 0;
  const char* bytes = static_cast<const char*>(data);
  int sent = 0;
  bool failed = false;
  while (sent < length && !failed) {
    const int result = ws::send(AsSocket(Handle), bytes + sent, length - sent, 0);
    if (result > 0) {
      sent += result;
      continue;
    }
    failed = true;
    if (result != SOCKET_ERROR) continue;
    const int code = ws::WSAGetLastError();
    if (code == kWouldBlock) continue;
    if (code != 0) FailAndClose("Error into \"send\": \"%s\"", code);
    CloseQuietly();
  }
  LastReply.clear();
  return failed && sent == 0 ? -1 : sent;
}

int TTarvexClientSocket::SendText(std::string_view text) {
  size_t done = 0;
  while (done < text.size()) {
    const int chunk = static_cast<int>(std::min(kSendChunk, text.size() - done));
    const int result = SendBuffer(text.data() + done, chunk);
    if (result > 0) done += static_cast<size_t>(result);
    if (result != chunk) break;
    if (OnChunkSent) OnChunkSent(*this, done + 1, text.size());
  }
  return static_cast<int>(done);
}

int TTarvexClientSocket::Receive(void* buffer, int size) {
  if (!IsOpen) return 0;
  int result;
  if (size == -1) {
    u_long waiting = 0;
    result = ws::ioctlsocket(AsSocket(Handle), kFionRead, &waiting) == 0
                 ? static_cast<int>(std::min<u_long>(waiting, INT_MAX))
                 : SOCKET_ERROR;
  } else {
    result = ws::recv(AsSocket(Handle), static_cast<char*>(buffer), size, 0);
  }
  if (result == SOCKET_ERROR) {
    const int code = ws::WSAGetLastError();
    if (code != kWouldBlock) {
      if (code != 0) FailAndClose("Error into \"recv\": \"%s\"", code);
      CloseQuietly();
    }
  }
  return result;
}

void TTarvexClientSocket::NoteReceived(std::string_view bytes) {
  AppendWithinLimit(Transcript, bytes);
  AppendWithinLimit(LastReply, bytes);
}

std::string TTarvexClientSocket::ReadUpTo(int size) {
  std::string bytes(static_cast<size_t>(size), '\0');
  const int result = Receive(bytes.data(), size);
  if (result <= 0) {
    if (result == 0 && SocketType == kStream) peerClosed_ = true;
    return {};
  }
  bytes.resize(static_cast<size_t>(result));
  NoteReceived(bytes);
  return bytes;
}

std::string TTarvexClientSocket::ReceiveAvailable() {
  if (!IsOpen) return {};
  const int waiting = Receive(nullptr, -1);
  if (waiting <= 0) return {};
  return ReadUpTo(std::min(waiting, kReceiveChunk));
}

bool TTarvexClientSocket::WaitReadable(uint32_t limitMs) {
  fd_set readable{};
  readable.fd_count = 1;
  readable.fd_array[0] = AsSocket(Handle);
  const timeval limit{static_cast<long>(limitMs / 1000), static_cast<long>(limitMs % 1000 * 1000)};
  return ws::select(0, &readable, nullptr, nullptr, &limit) > 0;
}

std::string TTarvexClientSocket::ReceiveWithin() { return ReceiveWithin(ReplyTimeout); }

std::string TTarvexClientSocket::ReceiveWithin(uint32_t limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    std::string bytes = ReceiveAvailable();
    if (!bytes.empty() || !IsOpen || peerClosed_) return bytes;
    const DWORD waited = GetTickCount() - start;
    if (waited >= limitMs || !WaitReadable(limitMs - waited)) return {};
    // Readable: data, the peer's end or a pending error; this read does not block.
    bytes = ReadUpTo(kReceiveChunk);
    if (!bytes.empty() || !IsOpen || peerClosed_) return bytes;
  }
}

std::string TTarvexClientSocket::ReceiveOrFail() {
  std::string bytes = ReceiveWithin();
  if (bytes.empty()) RaiseSocketError(peerClosed_ ? kPeerClosedText : kSocketTimeoutText);
  return bytes;
}

}  // namespace tarvex
