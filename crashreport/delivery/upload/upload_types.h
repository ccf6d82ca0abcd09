// What an HTTP(S) or FTP upload of the attachments is given, and how it reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crashreport/delivery/http/form_fields.h"
#include "crashreport/delivery/http/request_body.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/delivery/http/url_parts.h"

namespace tarvex {

// Results: 0 sent; -1 the Internet library is missing; a status other than
// 200 as its number (kUploadStatusNotANumber when it has none); else the
// system error code of the call that failed.
inline constexpr int kUploadSent = 0;
inline constexpr int kUploadNoLibrary = -1;
inline constexpr int kUploadStatusNotANumber = 2147483647;

struct THTTPUpload {
  std::string Host;
  uint16_t Port = 80;
  std::string Path = "/";  // the target, with its query
  std::string User, Password;
  bool Secure = false;
  std::optional<TProxy> Proxy;
  TFormFields Fields;
  std::vector<TUploadFile> Files;
};

struct TFTPUpload {
  std::string Host;
  uint16_t Port = 21;
  std::string Folder;  // files go to Folder + "/" + bare display name
  std::string User, Password;
  std::optional<TProxy> Proxy;
  std::vector<TUploadFile> Files;
};

// The remote name of a file: the folder, "/" when it does not end with one,
// and the bare name of the display name; the bare name alone without a folder.
std::string FtpRemoteName(const std::string& folder, const std::string& displayName);

}  // namespace tarvex
