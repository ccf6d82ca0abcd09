// Fetches https://HOST:PORT/PATH through WinInet and writes the body to
// standard output (test support: shows that Wine's secure connections work).
// The certificate's authority is not checked: the test server's certificate
// is self-signed. Exit code 0 on a 200 answer, else 1 with the error.
//
//   https_get.exe HOST PORT PATH
#include <windows.h>
#include <wininet.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

namespace {

int Fail(const char* step) {
  std::fprintf(stderr, "https_get: %s failed with error %lu\n", step, GetLastError());
  return 1;
}

// Closes a WinInet handle when it goes out of scope.
struct InternetHandle {
  HINTERNET handle;
  ~InternetHandle() {
    if (handle != nullptr) InternetCloseHandle(handle);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: https_get HOST PORT PATH\n");
    return 2;
  }
  _setmode(_fileno(stdout), _O_BINARY);  // the body's bytes as they came
  const InternetHandle session{InternetOpenA("https_get", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
  if (session.handle == nullptr) return Fail("InternetOpen");
  const auto port = INTERNET_PORT(std::atoi(argv[2]));
  const InternetHandle connection{
      InternetConnectA(session.handle, argv[1], port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)};
  if (connection.handle == nullptr) return Fail("InternetConnect");
  const InternetHandle request{HttpOpenRequestA(connection.handle, "GET", argv[3], nullptr, nullptr, nullptr,
                                                INTERNET_FLAG_SECURE | INTERNET_FLAG_RELOAD, 0)};
  if (request.handle == nullptr) return Fail("HttpOpenRequest");
  DWORD flags = 0, size = sizeof flags;
  InternetQueryOptionA(request.handle, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
  flags |= SECURITY_FLAG_IGNORE_UNKNOWN_CA;
  if (!InternetSetOptionA(request.handle, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags))
    return Fail("InternetSetOption");
  if (!HttpSendRequestA(request.handle, nullptr, 0, nullptr, 0)) return Fail("HttpSendRequest");

  DWORD status = 0;
  size = sizeof status;
  if (!HttpQueryInfoA(request.handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    return Fail("HttpQueryInfo");
  char buffer[4096];
  DWORD read = 0;
  while (InternetReadFile(request.handle, buffer, sizeof buffer, &read) && read > 0) fwrite(buffer, 1, read, stdout);
  if (status != 200) {
    std::fprintf(stderr, "https_get: status %lu\n", status);
    return 1;
  }
  return 0;
}
