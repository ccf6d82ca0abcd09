#include "crashreport/delivery/trackers/page_charset.h"

#include "crashreport/base/util/text_case.h"
#include "crashreport/delivery/http/http_response.h"

namespace tarvex {
namespace {

bool IsNameByte(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'; }

}  // namespace

bool DeclaresUtf8(std::string_view text) {
  const std::string lower = LowerCase(text);
  constexpr std::string_view kCharset = "charset";
  for (size_t at = lower.find(kCharset); at != std::string::npos; at = lower.find(kCharset, at + 1)) {
    size_t i = at + kCharset.size();
    while (i < lower.size() && lower[i] == ' ') ++i;
    if (i >= lower.size() || lower[i] != '=') continue;
    ++i;
    while (i < lower.size() && (lower[i] == ' ' || lower[i] == '"' || lower[i] == '\'')) ++i;
    size_t end = i;
    while (end < lower.size() && IsNameByte(lower[end])) ++end;
    const std::string_view name = std::string_view(lower).substr(i, end - i);
    if (name == "utf-8" || name == "utf8") return true;
  }
  return false;
}

bool PageExpectsUtf8(const THTTPResponse& page) { return DeclaresUtf8(page.Headers) || DeclaresUtf8(page.Body); }

}  // namespace tarvex
