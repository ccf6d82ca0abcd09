#include "crashreport/delivery/http/response_body.h"

namespace tarvex {

bool TResponseBody::Append(std::string_view bytes) {
  if (bytes.size() > limit_ - bytes_.size()) return false;
  bytes_ += bytes;
  return true;
}

std::string TResponseBody::Text() const {
  std::string text = bytes_;
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  return text;
}

}  // namespace tarvex
