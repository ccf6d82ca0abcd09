#include "crashreport/delivery/http/multipart_body.h"

#include <random>

#include "rtl/format.h"

namespace tarvex {

std::string MultipartBoundary(uint16_t a, uint16_t b, uint16_t c) {
  return std::string(27, '-') + rtl::Format("%04X%04X%04X", a, b, c);
}

std::string NewMultipartBoundary() {
  static thread_local std::minstd_rand generator{std::random_device{}()};
  std::uniform_int_distribution<int> below(0, 65534);
  const auto next = [&] { return static_cast<uint16_t>(below(generator)); };
  const uint16_t a = next(), b = next(), c = next();
  return MultipartBoundary(a, b, c);
}

std::string QuotedHeaderName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (const char c : name) {
    switch (c) {
      case '"': out += "%22"; break;
      case '\r': out += "%0D"; break;
      case '\n': out += "%0A"; break;
      default: out += c;
    }
  }
  return out;
}

void TMultipartBody::AddField(std::string_view name, std::string_view value) {
  body_ += "--" + boundary_ + "\r\n";
  body_ += "Content-Disposition: form-data; name=\"" + QuotedHeaderName(name) + "\";\r\n\r\n";
  body_ += value;
  body_ += "\r\n";
}

void TMultipartBody::AddMissingFile(std::string_view fieldName) { AddFile(fieldName, "", ""); }

void TMultipartBody::AddFile(std::string_view fieldName, std::string_view fileName, std::string_view bytes) {
  body_ += "--" + boundary_ + "\r\n";
  body_ += "Content-Disposition: form-data; name=\"" + QuotedHeaderName(fieldName) + "\"; filename=\"" +
           QuotedHeaderName(fileName) + "\";\r\n";
  body_ += "Content-Type: application/octet-stream\r\n\r\n";
  body_ += bytes;
  body_ += "\r\n";
}

std::string TMultipartBody::ContentTypeHeader() const {
  return "Content-Type: multipart/form-data; boundary=" + boundary_;
}

}  // namespace tarvex
