// The body of a web request and of an upload, with its content-type header.
#pragma once

#include <string>
#include <vector>

#include "crashreport/delivery/http/form_fields.h"
#include "crashreport/delivery/http/request_builder.h"

namespace tarvex {

struct TRequestBody {
  std::string ContentTypeHeader;  // empty for a GET
  std::string Bytes;
};

// A request of `method`: a GET has neither (its fields go into the query);
// url-encoded fields; or a multipart body with the fields and then the files
// (field name and path; a missing file is sent as a part with no file name or contents).
TRequestBody RequestBody(THTTPMethod method, const TFormFields& fields, const TFormFields& files,
                         const std::string& boundary);

struct TUploadFile {
  std::string DisplayName;  // the name the server gets
  std::string Path;
};

// The multipart body of an upload: the fields, then every existing file
// number i (from 0) as the field "vx_upload_file_<i>" named by its display
// name's bare name; missing files are left out and keep their number unused.
TRequestBody UploadBody(const TFormFields& fields, const std::vector<TUploadFile>& files, const std::string& boundary);

}  // namespace tarvex
