#include "crashreport/pipeline/interception/lsda_reader.h"

#include <cstring>

namespace tarvex {

namespace {

// The pointer encodings (low nibble: the value's form, high nibble: what it
// is relative to; 0x80: the value is the address of the pointer).
constexpr uint8_t kOmit = 0xFF;
constexpr uint8_t kAbsolute = 0x00, kUleb128 = 0x01, kUdata2 = 0x02, kUdata4 = 0x03, kUdata8 = 0x04,
                  kSleb128 = 0x09, kSdata2 = 0x0A, kSdata4 = 0x0B, kSdata8 = 0x0C;
constexpr uint8_t kPcRelative = 0x10, kIndirect = 0x80;

class Cursor {
 public:
  explicit Cursor(const uint8_t* at) : at_(at) {}
  const uint8_t* At() const { return at_; }
  uint8_t Byte() { return *at_++; }
  uintptr_t Uleb128() {
    uintptr_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
      const uint8_t byte = Byte();
      if (shift < sizeof value * 8) value |= uintptr_t(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return value;
    }
  }
  intptr_t Sleb128() {
    uintptr_t value = 0;
    unsigned shift = 0;
    uint8_t byte;
    do {
      byte = Byte();
      if (shift < sizeof value * 8) value |= uintptr_t(byte & 0x7F) << shift;
      shift += 7;
    } while (byte & 0x80);
    if (shift < sizeof value * 8 && (byte & 0x40)) value |= ~uintptr_t(0) << shift;
    return static_cast<intptr_t>(value);
  }
  template <typename T>
  T Fixed() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  // One value in `encoding`; nullopt for an encoding this reader does not know.
  std::optional<uintptr_t> Encoded(uint8_t encoding) {
    const uintptr_t place = reinterpret_cast<uintptr_t>(at_);
    uintptr_t value;
    switch (encoding & 0x0F) {
      case kAbsolute: value = Fixed<uintptr_t>(); break;
      case kUleb128: value = Uleb128(); break;
      case kUdata2: value = Fixed<uint16_t>(); break;
      case kUdata4: value = Fixed<uint32_t>(); break;
      case kUdata8: value = static_cast<uintptr_t>(Fixed<uint64_t>()); break;
      case kSleb128: value = static_cast<uintptr_t>(Sleb128()); break;
      case kSdata2: value = static_cast<uintptr_t>(Fixed<int16_t>()); break;
      case kSdata4: value = static_cast<uintptr_t>(Fixed<int32_t>()); break;
      case kSdata8: value = static_cast<uintptr_t>(Fixed<int64_t>()); break;
      default: return std::nullopt;
    }
    switch (encoding & 0x70) {
      case 0: break;
      case kPcRelative:
        if (value != 0) value += place;
        break;
      default: return std::nullopt;  // text-, data- and function-relative forms are not written for tables
    }
    if ((encoding & kIndirect) && value != 0) value = *reinterpret_cast<const uintptr_t*>(value);
    return value;
  }

 private:
  const uint8_t* at_;
};

// The size of one type-table entry in `encoding`.
std::optional<size_t> EntrySize(uint8_t encoding) {
  switch (encoding & 0x0F) {
    case kAbsolute: return sizeof(uintptr_t);
    case kUdata2: case kSdata2: return 2;
    case kUdata4: case kSdata4: return 4;
    case kUdata8: case kSdata8: return 8;
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<TLsdaSite> ReadLsdaSite(const uint8_t* lsda, uintptr_t regionStart, uintptr_t ip) {
  Cursor in(lsda);
  uintptr_t lpStart = regionStart;
  if (const uint8_t encoding = in.Byte(); encoding != kOmit) {
    const std::optional<uintptr_t> start = in.Encoded(encoding);
    if (!start) return std::nullopt;
    lpStart = *start;
  }
  const uint8_t typeEncoding = in.Byte();
  const uint8_t* typeTableEnd = nullptr;
  if (typeEncoding != kOmit) {
    const uintptr_t offset = in.Uleb128();
    typeTableEnd = in.At() + offset;
  }
  const uint8_t callSiteEncoding = in.Byte();
  const uintptr_t callSiteLength = in.Uleb128();
  const uint8_t* const actionTable = in.At() + callSiteLength;

  TLsdaSite site;
  while (in.At() < actionTable) {
    const std::optional<uintptr_t> start = in.Encoded(callSiteEncoding), length = in.Encoded(callSiteEncoding),
                                   landingPad = in.Encoded(callSiteEncoding);
    if (!start || !length || !landingPad) return std::nullopt;
    const uintptr_t action = in.Uleb128();
    if (ip < lpStart + *start) break;  // sorted: no later entry holds ip
    if (ip >= lpStart + *start + *length) continue;
    if (*landingPad == 0) return TLsdaSite{TLsdaSiteKind::NoHandler, {}};
    if (action == 0) return TLsdaSite{TLsdaSiteKind::CleanupOnly, {}};
    site.Kind = TLsdaSiteKind::CleanupOnly;
    Cursor record(actionTable + action - 1);
    for (;;) {
      const intptr_t filter = record.Sleb128();
      const uint8_t* const displacementAt = record.At();
      const intptr_t displacement = record.Sleb128();
      if (filter > 0) {
        const std::optional<size_t> size = EntrySize(typeEncoding);
        if (!size || typeTableEnd == nullptr) return std::nullopt;
        Cursor entry(typeTableEnd - static_cast<size_t>(filter) * *size);
        const std::optional<uintptr_t> type = entry.Encoded(typeEncoding);
        if (!type) return std::nullopt;
        site.Clauses.push_back({*type == 0 ? TLsdaClauseKind::CatchAll : TLsdaClauseKind::CatchType, *type});
      } else if (filter < 0) {
        site.Clauses.push_back({TLsdaClauseKind::Specification, 0});
      }
      if (displacement == 0) break;
      record = Cursor(displacementAt + displacement);
    }
    if (!site.Clauses.empty()) site.Kind = TLsdaSiteKind::Handlers;
    return site;
  }
  return TLsdaSite{TLsdaSiteKind::NoEntry, {}};
}

}  // namespace tarvex
