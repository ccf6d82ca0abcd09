// The outcome of the last web request of a submission.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

class THTTPResponse {
 public:
  int StatusCode = 0;
  std::string StatusText;
  std::string Headers;   // raw, CR LF separated
  std::string Body;      // every byte below 32 replaced by a space
  std::string Document;  // the file part of the URL requested last, without its query
  uint32_t ErrorCode = 0;
  std::string ErrorText;

  // Copies `source`; raises rtl::Exception "Cannot assign a THTTPResponse
  // class to a NIL value." when there is none.
  void Assign(const THTTPResponse* source);
  void Clear() { *this = THTTPResponse(); }
};

}  // namespace tarvex
