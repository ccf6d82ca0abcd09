// Character references in the texts of form elements.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

// "&amp;", "&quot;", "&lt;", "&gt;", "&nbsp;" and "&apos;" (any case) become
// "&", '"', "<", ">", a space and "'"; "&#" + decimal number + ";" (or
// "&#x" + hexadecimal) becomes that byte when below 256. Anything else stays.
std::string DecodeEntities(std::string_view text);

}  // namespace tarvex
