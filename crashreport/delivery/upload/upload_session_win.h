// The opening both uploads share: the library, its session (through the
// proxy when one is set) and the connection, with the failure's code and text.
#pragma once

#include <optional>
#include <string>

#include "crashreport/delivery/http/url_parts.h"
#include "crashreport/delivery/http/wininet_win.h"

namespace tarvex {

class TUploadSession {
 public:
  TUploadSession() : session_(inet_, nullptr), connection_(inet_, nullptr) {}

  const TWinInet& Inet() const { return inet_; }
  bool Open(const std::optional<TProxy>& proxy);
  bool Connect(const std::string& host, uint16_t port, const char* user, const char* password, DWORD service,
               DWORD flags);
  HINTERNET Connection() const { return connection_.get(); }

  // The last error's code (never 0) and text, stored for the caller.
  int Failed(std::string& errorText) const;

 private:
  TWinInet inet_;
  TInternetHandle session_;
  TInternetHandle connection_;
};

}  // namespace tarvex
