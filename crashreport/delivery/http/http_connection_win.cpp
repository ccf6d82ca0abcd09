#include "crashreport/delivery/http/http_connection_win.h"

#include "crashreport/delivery/http/dialog_progress_win.h"
#include "crashreport/delivery/http/multipart_body.h"
#include "crashreport/delivery/http/redirects.h"
#include "crashreport/delivery/http/request_body.h"
#include "crashreport/delivery/http/request_target.h"
#include "crashreport/delivery/http/response_body.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/delivery/http/url_encoding.h"
#include "crashreport/delivery/http/wininet_win.h"
#include "rtl/exception.h"
#include "rtl/format.h"

namespace tarvex {
namespace {

constexpr DWORD kBlockSize = 4096;
// Reload, no cache write, keep the connection, no automatic redirect (they
// are followed here, bounded), no redirect between HTTP and HTTPS, no UI.
constexpr DWORD kRequestFlags = 0x8460C200;
// The library checks the certificate's authority, date and name: nothing is ignored.
constexpr DWORD kSecureFlag = INTERNET_FLAG_SECURE;
constexpr DWORD kConnectionFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;
constexpr uint32_t kTooLarge = ERROR_FILE_TOO_LARGE;
constexpr uint32_t kTooManyRedirects = ERROR_HTTP_REDIRECT_FAILED;
constexpr uint32_t kBadAddress = ERROR_INTERNET_INVALID_URL;

std::optional<DWORD> QueryNumber(const TWinInet& inet, HINTERNET request, DWORD info) {
  DWORD value = 0, size = sizeof value;
  if (!inet.HttpQueryInfoA(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return std::nullopt;
  return value;
}

std::optional<std::string> QueryText(const TWinInet& inet, HINTERNET request, DWORD info) {
  std::string text(1024, '\0');
  DWORD size = static_cast<DWORD>(text.size());
  if (!inet.HttpQueryInfoA(request, info, text.data(), &size, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    text.assign(size + 1, '\0');
    size = static_cast<DWORD>(text.size());
    if (!inet.HttpQueryInfoA(request, info, text.data(), &size, nullptr)) return std::nullopt;
  }
  text.resize(size);
  return text;
}

}  // namespace

struct THTTPConnectionBase::TRequestOutcome {
  THTTPResponse Response;
  std::optional<TRedirect> Redirect;
  TRequestTarget Target;
};

THTTPConnectionBase::THTTPConnectionBase(const TWebEndpoint& web, const TProxyEndpoint& proxy, bool connect)
    : inet_(std::make_unique<TWinInet>()) {
  const auto url = WebUrl(web.Address, web.Port, web.Login, web.Password);
  const bool proxyWanted = ProxyWanted(proxy.Server);
  const auto proxyParts = ProxyFrom(proxy.Server, proxy.Port, proxy.Login, proxy.Password);
  if (url) {
    ServerHost = url->Host;
    ServerPort = url->PortOrDefault();
    LoginUser = url->User;
    LoginPassword = url->Password;
    Secure = url->Secure();
    RootPath = url->Path.ends_with('/') ? url->Path : url->Path + "/";
  }
  if (proxyParts) {
    ViaProxy = true;
    ProxyAddress = proxyParts->HostAndPort();
    ProxyLoginUser = proxyParts->User;
    ProxyLoginPass = proxyParts->Password;
  }
  addressesRead_ = url.has_value() && proxyWanted == proxyParts.has_value();
  if (connect) Connect();
}

THTTPConnectionBase::~THTTPConnectionBase() { CloseHandles(); }

bool THTTPConnectionBase::Connected() const { return connection_ && *connection_; }

void THTTPConnectionBase::Connect() {
  if (!inet_->Available() || !addressesRead_) return;  // unconnected: every request fails
  CloseHandles();
  Progress(hpConnecting, 0);
  const TWinInet& inet = *inet_;
  session_ = std::make_unique<TInternetHandle>(
      inet, ViaProxy ? inet.InternetOpenA("TarvexLog", INTERNET_OPEN_TYPE_PROXY, ProxyAddress.c_str(), "<local>", 0)
                     : inet.InternetOpenA("TarvexLog", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (*session_) {
    connection_ = std::make_unique<TInternetHandle>(
        inet, inet.InternetConnectA(session_->get(), ServerHost.c_str(), ServerPort,
                                    LoginUser.empty() ? nullptr : LoginUser.c_str(),
                                    LoginPassword.empty() ? nullptr : LoginPassword.c_str(), INTERNET_SERVICE_HTTP,
                                    kConnectionFlags, 0));
  }
  if (!Connected()) {
    CloseHandles();
    throw rtl::Exception(rtl::Format("Cannot create an HTTP connection with the host: %s", ServerHost.c_str()));
  }
  Progress(hpConnected, 0);
}

void THTTPConnectionBase::Disconnect() {
  if (!session_ && !connection_) return;
  Progress(hpDisconnecting, 0);
  const bool connectionClosed = !connection_ || connection_->Close();
  const bool sessionClosed = !session_ || session_->Close();
  connection_.reset();
  session_.reset();
  if (!connectionClosed || !sessionClosed)
    throw rtl::Exception(rtl::Format("Cannot close the HTTP connection with the host: %s", ServerHost.c_str()));
  Progress(hpDisconnected, 0);
}

void THTTPConnectionBase::CloseHandles() {
  connection_.reset();
  session_.reset();
}

void THTTPConnectionBase::Progress(int, int) {}

void THTTPConnectionBase::Fail(uint32_t code, std::string text, bool showProgress) {
  LastResponse.ErrorCode = code;
  LastResponse.ErrorText = std::move(text);
  if (showProgress) Progress(hpSending, 50);
}

bool THTTPConnectionBase::Execute(bool showProgress) {
  LastResponse.Clear();
  if (!Connected()) {
    const uint32_t code = !inet_->Available() ? ERROR_MOD_NOT_FOUND
                          : !addressesRead_   ? kBadAddress
                                              : ERROR_INTERNET_INCORRECT_HANDLE_STATE;  // disconnected
    Fail(code, inet_->ErrorText(code), showProgress);
    return false;
  }
  for (int redirects = 0;; ++redirects) {
    TRequestOutcome outcome;
    if (!Send(showProgress, outcome)) return false;
    if (outcome.Redirect && outcome.Redirect->Location) {
      Redirect(ResolveLocation(outcome.Target, *outcome.Redirect->Location));
      outcome.Response.Document = SplitRequestTarget(NextURL).Document;
      outcome.Response.StatusCode = outcome.Redirect->Status;
    }
    if (outcome.Redirect && outcome.Redirect->Follow) {
      if (redirects < kMaxRedirects) continue;
      LastResponse = std::move(outcome.Response);
      Fail(kTooManyRedirects, inet_->ErrorText(kTooManyRedirects), showProgress);
      return false;
    }
    if (showProgress) Progress(hpSent, 0);
    LastResponse = std::move(outcome.Response);
    return true;
  }
}

bool THTTPConnectionBase::Send(bool showProgress, TRequestOutcome& outcome) {
  const TWinInet& inet = *inet_;
  outcome.Target = SplitRequestTarget(NextURL);
  THTTPResponse& response = outcome.Response;
  response.Document = outcome.Target.Document;
  const std::string query = Method == hmGet ? WithQueryFields(outcome.Target.Query, FormFields) : outcome.Target.Query;
  const std::string object = outcome.Target.Directory + outcome.Target.Document + query;
  const TRequestBody body = RequestBody(Method, FormFields, FormFiles, NewMultipartBoundary());

  const auto failed = [&] {
    const DWORD code = GetLastError();
    const uint32_t recorded = code != 0 ? code : ERROR_INTERNET_INTERNAL_ERROR;
    LastResponse = response;
    Fail(recorded, inet.ErrorText(recorded), showProgress);
    return false;
  };

  TInternetHandle request(inet, inet.HttpOpenRequestA(connection_->get(), Method == hmGet ? "GET" : "POST",
                                                      object.c_str(), nullptr, nullptr, nullptr,
                                                      kRequestFlags | (Secure ? kSecureFlag : 0), 0));
  if (!request) return failed();
  if (!body.ContentTypeHeader.empty() && !AddRequestHeader(inet, request.get(), body.ContentTypeHeader))
    return failed();
  if (!AddRequestLogins(inet, request.get(), LoginUser, LoginPassword, ViaProxy ? &ProxyLoginUser : nullptr,
                        ViaProxy ? &ProxyLoginPass : nullptr))
    return failed();

  INTERNET_BUFFERSA buffers{};
  buffers.dwStructSize = sizeof buffers;
  buffers.dwBufferTotal = static_cast<DWORD>(body.Bytes.size());
  if (!inet.HttpSendRequestExA(request.get(), &buffers, nullptr, 0, 0)) return failed();
  for (size_t sent = 0; sent < body.Bytes.size();) {
    const DWORD block = static_cast<DWORD>(std::min<size_t>(kBlockSize, body.Bytes.size() - sent));
    DWORD written = 0;
    if (!inet.InternetWriteFile(request.get(), body.Bytes.data() + sent, block, &written) || written == 0)
      return failed();
    sent += written;
    if (showProgress) Progress(hpSending, SendPercent(sent, body.Bytes.size()));
  }
  if (!inet.HttpEndRequestA(request.get(), nullptr, 0, 0)) return failed();

  const auto status = QueryNumber(inet, request.get(), HTTP_QUERY_STATUS_CODE);
  if (!status) return failed();
  response.StatusCode = static_cast<int>(*status);
  response.StatusText = QueryText(inet, request.get(), HTTP_QUERY_STATUS_TEXT).value_or("");
  response.Headers = QueryText(inet, request.get(), HTTP_QUERY_RAW_HEADERS_CRLF).value_or("");
  const DWORD contentLength = QueryNumber(inet, request.get(), HTTP_QUERY_CONTENT_LENGTH).value_or(1);

  TResponseBody received;
  char block[kBlockSize];
  while (true) {
    DWORD read = 0;
    if (!inet.InternetReadFile(request.get(), block, sizeof block, &read)) return failed();
    if (read == 0) break;
    if (!received.Append(std::string_view(block, read))) {
      LastResponse = response;
      Fail(kTooLarge, "The response is larger than 8 MB.", showProgress);
      return false;
    }
    if (showProgress) Progress(hpSending, ReceivePercent(received.Size(), contentLength));
  }
  response.Body = received.Text();
  outcome.Redirect = RedirectOf(response.StatusCode, response.Headers);
  return true;
}

THTTPConnection::THTTPConnection(const TTarvexModuleOptions& options, const TWebEndpoint& web,
                                 const TProxyEndpoint& proxy)
    : THTTPConnectionBase(web, proxy, false), options_(options) {
  Connect();
}

THTTPConnection::~THTTPConnection() {
  try {
    Disconnect();  // while this object's Progress still reaches the dialog
  } catch (const rtl::Exception&) {
    // The handles are gone either way; a failed close is nothing to report here.
  }
}

void THTTPConnection::Progress(int kind, int percent) { ShowConnectionProgress(options_, kind, percent); }

}  // namespace tarvex
