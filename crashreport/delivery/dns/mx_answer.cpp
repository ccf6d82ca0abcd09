#include "crashreport/delivery/dns/mx_answer.h"

#include <optional>

#include "crashreport/delivery/dns/dns_name.h"
#include "crashreport/delivery/dns/mx_query.h"

namespace tarvex {

namespace {

uint16_t U16At(std::span<const uint8_t> message, size_t offset) {
  return static_cast<uint16_t>(message[offset] << 8 | message[offset + 1]);
}

constexpr uint16_t kFlagResponse = 0x8000;
constexpr uint16_t kOpcodeMask = 0x7800;
constexpr uint16_t kResponseCodeMask = 0x000F;
constexpr size_t kRecordFixedSize = 10;  // type, class, time to live, data length

// The offset after a name, or nothing when the name is unreadable.
std::optional<size_t> SkipName(std::span<const uint8_t> message, size_t offset) {
  const std::optional<DnsName> name = ReadDnsName(message, offset);
  if (!name) return std::nullopt;
  return name->Next;
}

}  // namespace

MxAnswer ReadMxAnswer(std::span<const uint8_t> message, uint16_t expectedId) {
  MxAnswer result;
  if (message.size() < kDnsHeaderSize || U16At(message, 0) != expectedId) return result;
  const uint16_t flags = U16At(message, 2);
  if (!(flags & kFlagResponse) || (flags & kOpcodeMask)) return result;
  result.Kind = MxAnswerKind::kNoHost;
  if (flags & kResponseCodeMask) return result;

  size_t position = kDnsHeaderSize;
  for (uint16_t question = U16At(message, 4); question > 0; --question) {
    const std::optional<size_t> next = SkipName(message, position);
    if (!next || *next + 4 > message.size()) return result;
    position = *next + 4;
  }

  std::optional<uint16_t> bestPreference;
  std::string bestHost;
  for (uint16_t answer = U16At(message, 6); answer > 0; --answer) {
    const std::optional<size_t> fixed = SkipName(message, position);
    if (!fixed || *fixed + kRecordFixedSize > message.size()) return result;
    const uint16_t type = U16At(message, *fixed);
    const uint16_t recordClass = U16At(message, *fixed + 2);
    const size_t dataStart = *fixed + kRecordFixedSize;
    const size_t dataEnd = dataStart + U16At(message, *fixed + 8);
    if (dataEnd > message.size()) return result;
    position = dataEnd;
    if (type != kDnsTypeMx || recordClass != kDnsClassIn) continue;
    if (dataEnd - dataStart < 3) return result;
    const uint16_t preference = U16At(message, dataStart);
    // The exchange's own bytes must lie inside the record's data; a pointer
    // may still lead to an earlier name anywhere in the message.
    const std::optional<DnsName> exchange = ReadDnsName(message.first(dataEnd), dataStart + 2);
    if (!exchange) return result;
    if (exchange->Text.empty()) continue;  // "." : this exchange takes no mail
    if (!bestPreference || preference < *bestPreference) {
      bestPreference = preference;
      bestHost = exchange->Text;
    }
  }
  if (bestPreference) {
    result.Kind = MxAnswerKind::kFound;
    result.Host = std::move(bestHost);
  }
  return result;
}

}  // namespace tarvex
