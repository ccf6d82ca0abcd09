#include "crashreport/delivery/sending/web_uploads.h"

#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/delivery/http/url_parts.h"

namespace tarvex {

namespace {

struct WebTarget {
  TUrlParts Url;
  std::optional<TProxy> Proxy;
};

std::optional<WebTarget> TargetFor(const TTarvexModuleOptions& options) {
  std::optional<TUrlParts> url =
      WebUrl(options.WebAddress(), options.WebServerPort(), options.WebLogin(), options.WebLoginPassword());
  if (!url) return std::nullopt;
  WebTarget target{*url, std::nullopt};
  if (ProxyWanted(options.ProxyServer())) {
    target.Proxy = ProxyFrom(options.ProxyServer(), options.ProxyServerPort(), options.ProxyLogin(),
                             options.ProxyLoginPassword());
    if (!target.Proxy) return std::nullopt;
  }
  return target;
}

std::vector<TUploadFile> UploadFiles(const TAttachments& files) {
  std::vector<TUploadFile> uploads;
  for (const TAttachment& file : files) uploads.push_back({file.Name, file.Path});
  return uploads;
}

}  // namespace

std::optional<THTTPUpload> HttpUploadFor(const TTarvexModuleOptions& options, bool secure, const TAttachments& files,
                                         const TFormFields& fields) {
  const std::optional<WebTarget> target = TargetFor(options);
  if (!target) return std::nullopt;
  THTTPUpload upload;
  upload.Host = target->Url.Host;
  upload.Secure = secure;
  upload.Port = target->Url.Port != 0 ? target->Url.Port : secure ? 443 : 80;
  upload.Path = target->Url.Path + target->Url.Query;
  upload.User = target->Url.User;
  upload.Password = target->Url.Password;
  upload.Proxy = target->Proxy;
  upload.Fields = fields;
  upload.Files = UploadFiles(files);
  return upload;
}

std::optional<TFTPUpload> FtpUploadFor(const TTarvexModuleOptions& options, const TAttachments& files) {
  const std::optional<WebTarget> target = TargetFor(options);
  if (!target) return std::nullopt;
  TFTPUpload upload;
  upload.Host = target->Url.Host;
  upload.Port = target->Url.Port != 0 ? target->Url.Port : 21;
  upload.Folder = target->Url.Path;
  upload.User = target->Url.User;
  upload.Password = target->Url.Password;
  upload.Proxy = target->Proxy;
  upload.Files = UploadFiles(files);
  return upload;
}

std::string WebFailureMessage(std::string_view kind, int code, std::string_view errorText) {
  std::string message = std::string(kind) + " error code: " + std::to_string(code);
  if (code == kUploadNoLibrary)
    message += " - Cannot find the \"wininet.dll\" library.";
  else if (!errorText.empty())
    message += " (" + std::string(errorText) + ")";
  return message;
}

std::string TrackerFailureMessage(const TTarvexModuleOptions& options, int code, int status,
                                  std::string_view statusText) {
  static constexpr TMessageText kTexts[] = {mtUnknownError,     mtInvalidLogin,  mtInvalidSelection,
                                            mtInvalidSearch,    mtInvalidInsert, mtInvalidModify};
  const TMessageText text = code >= 3 && code <= 7 ? kTexts[code - 2] : mtUnknownError;
  return options.Text(text) + "\r\n\r\nError Code: " + std::to_string(status) + "\r\nError Message: \"" +
         std::string(statusText) + "\"";
}

}  // namespace tarvex
