#include "crashreport/delivery/http/wininet_win.h"

#include <vector>

#include "crashreport/base/util/base64.h"
#include "crashreport/base/util/text_case.h"
#include "rtl/format.h"
#include "crashreport/delivery/http/wininet_errors.h"

namespace tarvex {
namespace {

template <typename Fn>
bool Bind(const win::Library& library, Fn& function, const char* name) {
  function = library.Function<Fn>(name);
  return function != nullptr;
}

// The system's message for `code`, looked up in `module` (the library's own
// codes) as well as the system's table.
std::string SystemMessage(HMODULE module, uint32_t code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS | (module ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                      module, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length != 0 && text ? std::string(TrimText(std::string_view(text, length))) : std::string();
  if (text) LocalFree(text);
  return message;
}

}  // namespace

TWinInet::TWinInet() : library_("wininet.dll") {
  if (!library_) return;
  bool all = true;
  all &= Bind(library_, InternetOpenA, "InternetOpenA");
  all &= Bind(library_, InternetConnectA, "InternetConnectA");
  all &= Bind(library_, HttpOpenRequestA, "HttpOpenRequestA");
  all &= Bind(library_, HttpAddRequestHeadersA, "HttpAddRequestHeadersA");
  all &= Bind(library_, HttpSendRequestA, "HttpSendRequestA");
  all &= Bind(library_, HttpSendRequestExA, "HttpSendRequestExA");
  all &= Bind(library_, InternetWriteFile, "InternetWriteFile");
  all &= Bind(library_, HttpEndRequestA, "HttpEndRequestA");
  all &= Bind(library_, HttpQueryInfoA, "HttpQueryInfoA");
  all &= Bind(library_, InternetCloseHandle, "InternetCloseHandle");
  all &= Bind(library_, InternetQueryOptionA, "InternetQueryOptionA");
  all &= Bind(library_, InternetSetOptionA, "InternetSetOptionA");
  all &= Bind(library_, FtpOpenFileA, "FtpOpenFileA");
  all &= Bind(library_, InternetGetLastResponseInfoA, "InternetGetLastResponseInfoA");
  all &= Bind(library_, InternetOpenUrlA, "InternetOpenUrlA");
  all &= Bind(library_, InternetReadFile, "InternetReadFile");
  all &= Bind(library_, InternetGetConnectedState, "InternetGetConnectedState");
  available_ = all;
}

std::string TWinInet::ErrorText(uint32_t code) const {
  if (available_) {
    DWORD error = 0;
    std::vector<char> text(3000);
    DWORD length = static_cast<DWORD>(text.size());
    BOOL read = InternetGetLastResponseInfoA(&error, text.data(), &length);
    if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      text.resize(length + 100);
      length = static_cast<DWORD>(text.size());
      read = InternetGetLastResponseInfoA(&error, text.data(), &length);
    }
    if (read && length > 0) {
      const std::string_view response = TrimText(std::string_view(text.data(), std::min<size_t>(length, text.size())));
      if (!response.empty()) return std::string(response);
    }
  }
  std::string text = WinInetErrorText(code);
  if (text.empty()) text = SystemMessage(library_.get(), code);
  return text.empty() ? rtl::Format("Error %u.", static_cast<unsigned>(code)) : text;
}

bool AddRequestHeader(const TWinInet& inet, HINTERNET request, const std::string& header) {
  return inet.HttpAddRequestHeadersA(request, header.c_str(), static_cast<DWORD>(-1),
                                     HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE) != FALSE;
}

bool AddRequestLogins(const TWinInet& inet, HINTERNET request, const std::string& user, const std::string& password,
                      const std::string* proxyUser, const std::string* proxyPassword) {
  if ((!user.empty() || !password.empty()) &&
      !AddRequestHeader(inet, request, "Authorization: Basic " + Base64Encode(user + ":" + password)))
    return false;
  if (!proxyUser || !proxyPassword || (proxyUser->empty() && proxyPassword->empty())) return true;
  inet.InternetSetOptionA(request, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(proxyUser->c_str()),
                          static_cast<DWORD>(proxyUser->size()));
  inet.InternetSetOptionA(request, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(proxyPassword->c_str()),
                          static_cast<DWORD>(proxyPassword->size()));
  return AddRequestHeader(inet, request,
                          "Proxy-Authorization: Basic " + Base64Encode(*proxyUser + ":" + *proxyPassword));
}

bool TInternetHandle::Close() {
  if (handle_ == nullptr) return true;
  const bool closed = inet_.InternetCloseHandle(handle_) != FALSE;
  handle_ = nullptr;
  return closed;
}

}  // namespace tarvex
