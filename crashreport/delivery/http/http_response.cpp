#include "crashreport/delivery/http/http_response.h"

#include "rtl/exception.h"

namespace tarvex {

void THTTPResponse::Assign(const THTTPResponse* source) {
  if (source == nullptr) throw rtl::Exception("Cannot assign a THTTPResponse class to a NIL value.");
  *this = *source;
}

}  // namespace tarvex
