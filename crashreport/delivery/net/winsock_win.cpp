#include "crashreport/delivery/net/winsock_win.h"

#include <windows.h>

#include "crashreport/delivery/net/socket_errors.h"

namespace tarvex::winsock {

namespace {

// Loaded once and kept for the life of the process; a library that is
// missing stays null.
struct SocketLibraries {
  HMODULE Wsock32 = LoadLibraryA("wsock32.dll");
  HMODULE Ws2_32 = LoadLibraryA("ws2_32.dll");
  HMODULE Mswsock = LoadLibraryA("mswsock.dll");

  HMODULE Chosen() const { return Ws2_32 ? Ws2_32 : Wsock32 ? Wsock32 : Mswsock; }
};

const SocketLibraries& Libraries() {
  static const SocketLibraries libraries;
  return libraries;
}

// Bound once per wrapper: the lookup by name costs more than a short send.
template <typename Fn>
Fn Bound(const char* name) {
  return reinterpret_cast<Fn>(GetWinSockFunction(name));
}

// Cleans the library up at the process's end when it was started; the
// function is bound at the start, so the end needs nothing else.
struct WinSockSession {
  bool Started = false;
  int(WINAPI* Cleanup)() = nullptr;
  ~WinSockSession() {
    if (Cleanup) Cleanup();
  }
};

WinSockSession& Session() {
  static WinSockSession session;
  return session;
}

}  // namespace

void* GetWinSockFunction(const char* name) {
  const HMODULE library = Libraries().Chosen();
  FARPROC entry = library ? GetProcAddress(library, name) : nullptr;
  if (!entry) throw ETarvexFuncNotFoundError(std::string("WinSock's function \"") + name + "\" can not be found");
  return reinterpret_cast<void*>(entry);
}

void StartWinSock() {
  WinSockSession& session = Session();
  if (session.Started) return;
  auto cleanup = Bound<int(WINAPI*)()>("WSACleanup");
  WSADATA data{};
  if (winsock::WSAStartup(0x0101, &data) == 0) session.Cleanup = cleanup;
  session.Started = true;
}

std::string WinSockErrorText(int code) {
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) --length;
  if (length == 0) return "error " + std::to_string(code);
  return std::string(text, length);
}

int closesocket(SOCKET s) {
  static const auto fn = Bound<int(WINAPI*)(SOCKET)>("closesocket");
  return fn(s);
}
int connect(SOCKET s, const sockaddr* address, int length) {
  static const auto fn = Bound<int(WINAPI*)(SOCKET, const sockaddr*, int)>("connect");
  return fn(s, address, length);
}
u_short htons(u_short value) {
  static const auto fn = Bound<u_short(WINAPI*)(u_short)>("htons");
  return fn(value);
}
int ioctlsocket(SOCKET s, long command, u_long* argument) {
  static const auto fn = Bound<int(WINAPI*)(SOCKET, long, u_long*)>("ioctlsocket");
  return fn(s, command, argument);
}
int recv(SOCKET s, char* buffer, int length, int flags) {
  static const auto fn = Bound<int(WINAPI*)(SOCKET, char*, int, int)>("recv");
  return fn(s, buffer, length, flags);
}
int send(SOCKET s, const char* buffer, int length, int flags) {
  static const auto fn = Bound<int(WINAPI*)(SOCKET, const char*, int, int)>("send");
  return fn(s, buffer, length, flags);
}
int select(int count, fd_set* readable, fd_set* writable, fd_set* failed, const timeval* timeout) {
  static const auto fn = Bound<int(WINAPI*)(int, fd_set*, fd_set*, fd_set*, const timeval*)>("select");
  return fn(count, readable, writable, failed, timeout);
}
SOCKET socket(int family, int type, int protocol) {
  static const auto fn = Bound<SOCKET(WINAPI*)(int, int, int)>("socket");
  return fn(family, type, protocol);
}
hostent* gethostbyname(const char* name) {
  static const auto fn = Bound<hostent*(WINAPI*)(const char*)>("gethostbyname");
  return fn(name);
}
int gethostname(char* name, int length) {
  static const auto fn = Bound<int(WINAPI*)(char*, int)>("gethostname");
  return fn(name, length);
}
int WSAAsyncSelect(SOCKET s, HWND window, u_int message, long events) {
  static const auto fn = Bound<int(WINAPI*)(SOCKET, HWND, u_int, long)>("WSAAsyncSelect");
  return fn(s, window, message, events);
}
int WSAGetLastError() {
  static const auto fn = Bound<int(WINAPI*)()>("WSAGetLastError");
  return fn();
}
int WSAStartup(WORD version, WSADATA* data) {
  static const auto fn = Bound<int(WINAPI*)(WORD, WSADATA*)>("WSAStartup");
  return fn(version, data);
}
int WSACleanup() {
  static const auto fn = Bound<int(WINAPI*)()>("WSACleanup");
  return fn();
}

}  // namespace tarvex::winsock
