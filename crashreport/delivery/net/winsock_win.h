// The Windows Sockets functions, bound at run time from whichever socket
// library the machine has, so that a program without one still starts and
// only its delivery by mail fails.
#pragma once

#include <winsock2.h>

#include <string>

namespace tarvex::winsock {

// The entry point of `name` in ws2_32.dll, else wsock32.dll, else
// mswsock.dll (all three loaded once per process, on the first call). Raises
// ETarvexFuncNotFoundError "WinSock's function "<name>" can not be found"
// when no library is there or the chosen one lacks the function.
void* GetWinSockFunction(const char* name);

// Starts the socket library once per process (version 1.1); it is cleaned up
// when the process ends.
void StartWinSock();

// The system's text for a socket error code, without its final line end;
// "error <code>" when the system has none.
std::string WinSockErrorText(int code);

// Each binds its function through GetWinSockFunction on its first call (a
// missing function raises, then and on every later call) and forwards the
// arguments unchanged.
int closesocket(SOCKET s);
int connect(SOCKET s, const sockaddr* address, int length);
u_short htons(u_short value);
int ioctlsocket(SOCKET s, long command, u_long* argument);
int recv(SOCKET s, char* buffer, int length, int flags);
int send(SOCKET s, const char* buffer, int length, int flags);
int select(int count, fd_set* readable, fd_set* writable, fd_set* failed, const timeval* timeout);
SOCKET socket(int family, int type, int protocol);
hostent* gethostbyname(const char* name);
int gethostname(char* name, int length);
int WSAAsyncSelect(SOCKET s, HWND window, u_int message, long events);
int WSAGetLastError();
int WSAStartup(WORD version, WSADATA* data);
int WSACleanup();

}  // namespace tarvex::winsock
