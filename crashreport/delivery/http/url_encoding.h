// Percent-encoding of form data and URL parts.
#pragma once

#include <string>
#include <string_view>

#include "crashreport/delivery/http/form_fields.h"

namespace tarvex {

// Letters and digits stay; every other byte becomes "%" and two upper-case
// hexadecimal digits.
std::string UrlEncode(std::string_view text);
// "%" + two hexadecimal digits becomes that byte; anything else stays.
std::string PercentDecode(std::string_view text);
// The application/x-www-form-urlencoded body: encoded name "=" encoded value,
// joined with "&". Names are encoded too, so "&" and "=" in them stay data.
std::string UrlEncodedBody(const TFormFields& fields);
// `query` ("" or "?...") with the fields appended as encoded pairs.
std::string WithQueryFields(std::string query, const TFormFields& fields);

}  // namespace tarvex
