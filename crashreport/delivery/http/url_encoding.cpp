#include "crashreport/delivery/http/url_encoding.h"

namespace tarvex {
namespace {

bool Kept(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendPair(std::string& out, const TFormField& field) {
  out += UrlEncode(field.Name);
  out += '=';
  out += UrlEncode(field.Value);
}

}  // namespace

std::string UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (Kept(byte)) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string UrlEncodedBody(const TFormFields& fields) {
  std::string body;
  for (const TFormField& field : fields) {
    if (!body.empty()) body += '&';
    AppendPair(body, field);
  }
  return body;
}

std::string WithQueryFields(std::string query, const TFormFields& fields) {
  for (const TFormField& field : fields) {
    query += query.empty() ? '?' : '&';
    AppendPair(query, field);
  }
  return query;
}

}  // namespace tarvex
