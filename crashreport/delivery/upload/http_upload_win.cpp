#include "crashreport/delivery/http/multipart_body.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/delivery/upload/upload_session_win.h"
#include "crashreport/delivery/upload/upload_win.h"

namespace tarvex {
namespace {

constexpr DWORD kBlockSize = 65536;
// Those of a web request plus no cookies; secure adds only INTERNET_FLAG_SECURE:
// the certificate's authority, date and name are checked.
constexpr DWORD kUploadFlags = 0x8468C200;

// The status text of an answer other than 200, and its number as the result.
int StatusResult(const TWinInet& inet, HINTERNET request, std::string& errorText) {
  char text[1024] = {};
  DWORD size = sizeof text - 1;
  if (inet.HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, text, &size, nullptr) == FALSE) return -2;
  const std::string code(text, size);
  int status = 0;
  for (const char c : code) {
    if (c < '0' || c > '9' || status > 99999) return kUploadStatusNotANumber;
    status = status * 10 + (c - '0');
  }
  if (code.empty()) return kUploadStatusNotANumber;
  if (status == 200) return kUploadSent;
  size = sizeof text - 1;
  errorText = inet.HttpQueryInfoA(request, HTTP_QUERY_STATUS_TEXT, text, &size, nullptr) ? std::string(text, size) : "";
  return status;
}

}  // namespace

int UploadHTTP(const THTTPUpload& upload, std::string& errorText, const TUploadProgress& progress) {
  TUploadSession session;
  const TWinInet& inet = session.Inet();
  if (!inet.Available()) return kUploadNoLibrary;
  const TRequestBody body = UploadBody(upload.Fields, upload.Files, NewMultipartBoundary());
  const uint64_t total = body.Bytes.size();
  if (progress) progress(upConnecting, total, 0);
  if (!session.Open(upload.Proxy) ||
      !session.Connect(upload.Host, upload.Port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0))
    return session.Failed(errorText);
  if (progress) progress(upConnected, total, 0);

  TInternetHandle request(inet, inet.HttpOpenRequestA(session.Connection(), "POST", upload.Path.c_str(), nullptr,
                                                      nullptr, nullptr,
                                                      kUploadFlags | (upload.Secure ? INTERNET_FLAG_SECURE : 0), 0));
  if (!request || !AddRequestHeader(inet, request.get(), body.ContentTypeHeader) ||
      !AddRequestLogins(inet, request.get(), upload.User, upload.Password,
                        upload.Proxy ? &upload.Proxy->User : nullptr, upload.Proxy ? &upload.Proxy->Password : nullptr))
    return session.Failed(errorText);

  INTERNET_BUFFERSA buffers{};
  buffers.dwStructSize = sizeof buffers;
  buffers.dwBufferTotal = static_cast<DWORD>(total);
  if (!inet.HttpSendRequestExA(request.get(), &buffers, nullptr, 0, 0)) return session.Failed(errorText);
  for (uint64_t done = 0; done < total;) {
    const DWORD block = static_cast<DWORD>(std::min<uint64_t>(kBlockSize, total - done));
    DWORD written = 0;
    if (!inet.InternetWriteFile(request.get(), body.Bytes.data() + done, block, &written) || written == 0)
      return session.Failed(errorText);
    done += written;
    if (progress) progress(upSending, total, done);
  }
  if (!inet.HttpEndRequestA(request.get(), nullptr, 0, 0)) return session.Failed(errorText);
  const int result = StatusResult(inet, request.get(), errorText);
  return result == -2 ? session.Failed(errorText) : result;
}

}  // namespace tarvex
