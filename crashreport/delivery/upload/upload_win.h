// Uploads of the attachments over the Internet library: one multipart POST
// (HTTP or HTTPS, certificates checked), or each file by passive FTP. Every
// handle is closed and the library freed before they return; nothing raises.
#pragma once

#include <string>

#include "crashreport/delivery/upload/upload_types.h"

namespace tarvex {

// kUploadSent, or the failure's code with its text in `errorText`.
int UploadHTTP(const THTTPUpload& upload, std::string& errorText, const TUploadProgress& progress);
int UploadFTP(const TFTPUpload& upload, std::string& errorText, const TUploadProgress& progress);

}  // namespace tarvex
