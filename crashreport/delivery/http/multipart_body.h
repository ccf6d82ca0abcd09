// The multipart/form-data body of a web request or an upload.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

// 27 hyphens and three groups of four upper-case hexadecimal digits.
std::string MultipartBoundary(uint16_t a, uint16_t b, uint16_t c);
// A boundary from three pseudo-random numbers below 65535.
std::string NewMultipartBoundary();

// A field or file name inside a quoted header parameter, escaped as browsers
// do: '"' becomes "%22", CR "%0D", LF "%0A", so a name can never end its
// quotes or its header line.
std::string QuotedHeaderName(std::string_view name);

class TMultipartBody {
 public:
  explicit TMultipartBody(std::string boundary) : boundary_(std::move(boundary)) {}

  void AddField(std::string_view name, std::string_view value);
  void AddFile(std::string_view fieldName, std::string_view fileName, std::string_view bytes);
  // The part of a file that does not exist: no file name and no contents.
  void AddMissingFile(std::string_view fieldName);
  // The body with its closing boundary line.
  std::string Finish() const { return body_ + "--" + boundary_ + "--\r\n"; }

  const std::string& Boundary() const { return boundary_; }
  // "Content-Type: multipart/form-data; boundary=..."
  std::string ContentTypeHeader() const;

 private:
  std::string boundary_;
  std::string body_;
};

}  // namespace tarvex
