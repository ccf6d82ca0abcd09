#include "crashreport/delivery/dns/mx_query.h"

namespace tarvex {

std::string_view MailDomain(std::string_view address) {
  const size_t at = address.find('@');
  return at == std::string_view::npos ? address : address.substr(at + 1);
}

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

}  // namespace

std::optional<std::vector<uint8_t>> BuildMxQuery(std::string_view domain, uint16_t id) {
  if (!domain.empty() && domain.back() == '.') domain.remove_suffix(1);
  if (domain.empty() || domain.size() > kDnsMaxName) return std::nullopt;
  std::vector<uint8_t> query;
  PutU16(query, id);
  PutU16(query, 0x0100);
  PutU16(query, 1);
  for (int count = 0; count < 3; ++count) PutU16(query, 0);
  size_t start = 0;
  while (start <= domain.size()) {
    size_t dot = domain.find('.', start);
    if (dot == std::string_view::npos) dot = domain.size();
    const size_t length = dot - start;
    if (length == 0 || length > kDnsMaxLabel) return std::nullopt;
    query.push_back(static_cast<uint8_t>(length));
    query.insert(query.end(), domain.begin() + start, domain.begin() + dot);
    start = dot + 1;
  }
  query.push_back(0);
  PutU16(query, kDnsTypeMx);
  PutU16(query, kDnsClassIn);
  return query;
}

}  // namespace tarvex
