// The Internet library, loaded for one connection or upload and freed with
// it. It counts as missing when "wininet.dll" does not load or any of the
// functions the delivery uses is absent; then every request fails.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {

class TWinInet {
 public:
  TWinInet();
  TWinInet(const TWinInet&) = delete;
  TWinInet& operator=(const TWinInet&) = delete;

  bool Available() const { return available_; }

  decltype(&::InternetOpenA) InternetOpenA = nullptr;
  decltype(&::InternetConnectA) InternetConnectA = nullptr;
  decltype(&::HttpOpenRequestA) HttpOpenRequestA = nullptr;
  decltype(&::HttpAddRequestHeadersA) HttpAddRequestHeadersA = nullptr;
  decltype(&::HttpSendRequestA) HttpSendRequestA = nullptr;
  decltype(&::HttpSendRequestExA) HttpSendRequestExA = nullptr;
  decltype(&::InternetWriteFile) InternetWriteFile = nullptr;
  decltype(&::HttpEndRequestA) HttpEndRequestA = nullptr;
  decltype(&::HttpQueryInfoA) HttpQueryInfoA = nullptr;
  decltype(&::InternetCloseHandle) InternetCloseHandle = nullptr;
  decltype(&::InternetQueryOptionA) InternetQueryOptionA = nullptr;
  decltype(&::InternetSetOptionA) InternetSetOptionA = nullptr;
  decltype(&::FtpOpenFileA) FtpOpenFileA = nullptr;
  decltype(&::InternetGetLastResponseInfoA) InternetGetLastResponseInfoA = nullptr;
  decltype(&::InternetOpenUrlA) InternetOpenUrlA = nullptr;
  decltype(&::InternetReadFile) InternetReadFile = nullptr;
  decltype(&::InternetGetConnectedState) InternetGetConnectedState = nullptr;

  // The text of a failed call's `code`: the server's own last response text,
  // else the library's table, else the system's message.
  std::string ErrorText(uint32_t code) const;

 private:
  win::Library library_;
  bool available_ = false;
};

// Adds `header` ("Name: value") to a request, replacing one of the same name.
bool AddRequestHeader(const TWinInet& inet, HINTERNET request, const std::string& header);

// The logins of a request: Basic authorization for the server when a user
// or password is set, and the proxy's user and password both as the
// library's options and as a Basic Proxy-Authorization header (sent with the
// first request, not only after the proxy asks).
bool AddRequestLogins(const TWinInet& inet, HINTERNET request, const std::string& user, const std::string& password,
                      const std::string* proxyUser, const std::string* proxyPassword);

// A handle of the Internet library, closed on every path out.
class TInternetHandle {
 public:
  TInternetHandle(const TWinInet& inet, HINTERNET handle) : inet_(inet), handle_(handle) {}
  ~TInternetHandle() { Close(); }
  TInternetHandle(const TInternetHandle&) = delete;
  TInternetHandle& operator=(const TInternetHandle&) = delete;

  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(HINTERNET handle) {
    Close();
    handle_ = handle;
  }
  // False when the library refuses to close it (for an FTP file: the transfer failed).
  bool Close();

 private:
  const TWinInet& inet_;
  HINTERNET handle_;
};

}  // namespace tarvex
