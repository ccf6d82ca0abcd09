// Web requests of a tracker submission over the Internet library: one
// connection to one host, requests built by THTTPRequestBuilder, each answer
// kept in LastResponse. Certificates are checked on secure connections: a
// certificate that fails is a failed request with the library's code.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "crashreport/delivery/http/connection_endpoints.h"
#include "crashreport/delivery/http/request_builder.h"
#include "crashreport/delivery/http/url_parts.h"

namespace tarvex {

class TTarvexModuleOptions;
class TWinInet;
class TInternetHandle;

class THTTPConnectionBase : public THTTPRequestBuilder {
 public:
  std::string ServerHost;
  uint16_t ServerPort = 0;
  std::string LoginUser, LoginPassword;
  bool Secure = false;
  bool ViaProxy = false;
  std::string ProxyAddress;  // "host:port"
  std::string ProxyLoginUser, ProxyLoginPass;

  // Binds the Internet library and reads the addresses; connects unless
  // `connect` is false (a derived class connects in its own constructor, so
  // that its Progress is the one called). When the library is missing or an
  // address cannot be read, the object stays unconnected and every request
  // fails. Connecting may raise (see Connect).
  explicit THTTPConnectionBase(const TWebEndpoint& web, const TProxyEndpoint& proxy = {}, bool connect = true);
  virtual ~THTTPConnectionBase();
  THTTPConnectionBase(const THTTPConnectionBase&) = delete;
  THTTPConnectionBase& operator=(const THTTPConnectionBase&) = delete;

  // Opens the session and the connection to the host; raises rtl::Exception
  // "Cannot create an HTTP connection with the host: <host>" when either fails.
  virtual void Connect();
  // Closes both; raises "Cannot close the HTTP connection with the host: <host>"
  // when one of them does not close.
  virtual void Disconnect();
  // Kinds of THTTPProgressKind; `percent` only for hpSending.
  virtual void Progress(int kind, int percent);

  bool Connected() const;
  // Sends the request built (following up to kMaxRedirects redirects) and
  // keeps its answer in LastResponse. False when a call of the library fails,
  // the answer exceeds kMaxResponseBody or redirects go on too long; then
  // LastResponse.ErrorCode and ErrorText say why.
  bool Execute(bool showProgress = true);

 private:
  struct TRequestOutcome;
  bool Send(bool showProgress, TRequestOutcome& outcome);
  void Fail(uint32_t code, std::string text, bool showProgress);
  void CloseHandles();

  std::unique_ptr<TWinInet> inet_;
  std::unique_ptr<TInternetHandle> session_, connection_;
  bool addressesRead_ = false;
};

// A connection whose progress shows in the send dialog, with the message
// texts of `options` (which must outlive it).
class THTTPConnection : public THTTPConnectionBase {
 public:
  THTTPConnection(const TTarvexModuleOptions& options, const TWebEndpoint& web, const TProxyEndpoint& proxy = {});
  ~THTTPConnection() override;
  void Progress(int kind, int percent) override;

 private:
  const TTarvexModuleOptions& options_;
};

}  // namespace tarvex
