#include "crashreport/delivery/upload/upload_session_win.h"

namespace tarvex {

bool TUploadSession::Open(const std::optional<TProxy>& proxy) {
  session_.Reset(proxy ? inet_.InternetOpenA("TarvexLog", INTERNET_OPEN_TYPE_PROXY, proxy->HostAndPort().c_str(),
                                             "<local>", 0)
                       : inet_.InternetOpenA("TarvexLog", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  return static_cast<bool>(session_);
}

bool TUploadSession::Connect(const std::string& host, uint16_t port, const char* user, const char* password,
                             DWORD service, DWORD flags) {
  connection_.Reset(inet_.InternetConnectA(session_.get(), host.c_str(), port, user, password, service, flags, 0));
  return static_cast<bool>(connection_);
}

int TUploadSession::Failed(std::string& errorText) const {
  const DWORD error = GetLastError();
  const DWORD code = error != 0 ? error : ERROR_INTERNET_INTERNAL_ERROR;
  errorText = inet_.ErrorText(code);
  return static_cast<int>(code);
}

}  // namespace tarvex
