// Whether a tracker's page wants its forms sent in UTF-8: the answer's
// Content-Type, a meta declaration or a form's accept-charset names it.
#pragma once

#include <string_view>

namespace tarvex {

class THTTPResponse;

// True when any "charset" declaration of the headers or the body (ignoring
// case, "accept-charset" included) names "utf-8" or "utf8" first.
bool PageExpectsUtf8(const THTTPResponse& page);
bool DeclaresUtf8(std::string_view text);

}  // namespace tarvex
