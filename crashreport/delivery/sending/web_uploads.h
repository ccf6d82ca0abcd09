// The HTTP(S) and FTP uploads the options describe, and the texts of their failures.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crashreport/delivery/http/form_fields.h"
#include "crashreport/delivery/outcome/attachment.h"
#include "crashreport/delivery/upload/upload_types.h"

namespace tarvex {

class TTarvexModuleOptions;

// The code recorded when the web address cannot be read (the Internet
// library's "The URL is invalid.").
inline constexpr int kInvalidWebAddress = 12005;

// The upload to WebAddress (its port replaced by WebServerPort, its login by
// WebLogin and WebLoginPassword when set) through the configured proxy;
// nothing when the address cannot be read. `secure`: HTTPS, whose port is 443
// unless one is named.
std::optional<THTTPUpload> HttpUploadFor(const TTarvexModuleOptions& options, bool secure, const TAttachments& files,
                                         const TFormFields& fields);
// The same for FTP: the address's path is the folder the files go to.
std::optional<TFTPUpload> FtpUploadFor(const TTarvexModuleOptions& options, const TAttachments& files);

// "<kind> error code: <code>" and a suffix: the missing library for
// kUploadNoLibrary, else " (<text>)" when there is a text.
std::string WebFailureMessage(std::string_view kind, int code, std::string_view errorText);

// What a bug tracker's failure `code` (2 to 7) tells the user: the message
// text of the code, then the last response's status and status text.
std::string TrackerFailureMessage(const TTarvexModuleOptions& options, int code, int status,
                                  std::string_view statusText);

}  // namespace tarvex
