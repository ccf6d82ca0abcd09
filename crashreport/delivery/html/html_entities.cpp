#include "crashreport/delivery/html/html_entities.h"

#include "crashreport/base/util/text_case.h"

namespace tarvex {
namespace {

struct TNamedEntity {
  std::string_view Name;
  char Value;
};
constexpr TNamedEntity kNamed[] = {{"&amp;", '&'},  {"&quot;", '"'}, {"&lt;", '<'},
                                   {"&gt;", '>'},   {"&nbsp;", ' '}, {"&apos;", '\''}};

// The value of "&#...;" at the start of `text` and its length; length 0 when it is none.
std::pair<unsigned, size_t> NumericReference(std::string_view text) {
  if (!text.starts_with("&#")) return {0, 0};
  const bool hex = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
  size_t i = hex ? 3 : 2;
  const size_t digitsStart = i;
  unsigned value = 0;
  for (; i < text.size() && i - digitsStart < 8; ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
  }
  if (i == digitsStart || i >= text.size() || text[i] != ';' || value > 255) return {0, 0};
  return {value, i + 1};
}

}  // namespace

std::string DecodeEntities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '&') {
      out += text[i++];
      continue;
    }
    const std::string_view rest = text.substr(i);
    size_t length = 0;
    for (const TNamedEntity& entity : kNamed) {
      if (rest.size() >= entity.Name.size() && SameTextIgnoringCase(rest.substr(0, entity.Name.size()), entity.Name)) {
        out += entity.Value;
        length = entity.Name.size();
        break;
      }
    }
    if (length == 0) {
      const auto [value, referenceLength] = NumericReference(rest);
      length = referenceLength;
      if (length != 0) out += static_cast<char>(value);
    }
    if (length == 0) {
      out += '&';
      length = 1;
    }
    i += length;
  }
  return out;
}

}  // namespace tarvex
