// Base64 with the standard alphabet and "=" padding (SMTP authentication,
// MIME attachments, HTTP Basic authorization, names of unverified debug data).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvex {

std::string Base64Encode(const void* data, size_t size);
inline std::string Base64Encode(std::string_view bytes) { return Base64Encode(bytes.data(), bytes.size()); }

}  // namespace tarvex
