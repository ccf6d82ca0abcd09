#include "crashreport/delivery/http/request_body.h"

#include "crashreport/base/util/file_names.h"
#include "crashreport/delivery/http/file_bytes.h"
#include "crashreport/delivery/http/multipart_body.h"
#include "crashreport/delivery/http/url_encoding.h"

namespace tarvex {
namespace {

TMultipartBody WithFields(const TFormFields& fields, const std::string& boundary) {
  TMultipartBody body(boundary);
  for (const TFormField& field : fields) body.AddField(field.Name, field.Value);
  return body;
}

}  // namespace

TRequestBody RequestBody(THTTPMethod method, const TFormFields& fields, const TFormFields& files,
                         const std::string& boundary) {
  switch (method) {
    case hmGet: return {};
    case hmPostUrlEncoded:
      return {"Content-Type: application/x-www-form-urlencoded", UrlEncodedBody(fields)};
    case hmPostMultipart: break;
  }
  TMultipartBody body = WithFields(fields, boundary);
  for (const TFormField& file : files) {
    if (const auto bytes = ReadFileBytes(file.Value)) {
      body.AddFile(file.Name, ExtractFileName(file.Value), *bytes);
    } else {
      body.AddMissingFile(file.Name);
    }
  }
  return {body.ContentTypeHeader(), body.Finish()};
}

TRequestBody UploadBody(const TFormFields& fields, const std::vector<TUploadFile>& files, const std::string& boundary) {
  TMultipartBody body = WithFields(fields, boundary);
  for (size_t i = 0; i < files.size(); ++i) {
    if (const auto bytes = ReadFileBytes(files[i].Path))
      body.AddFile("vx_upload_file_" + std::to_string(i), ExtractFileName(files[i].DisplayName), *bytes);
  }
  return {body.ContentTypeHeader(), body.Finish()};
}

}  // namespace tarvex
