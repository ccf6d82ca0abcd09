#include "crashreport/callstack/debuginfo/debug_info_map.h"

#include <algorithm>

namespace tarvex {

namespace {

bool IsBlank(uint8_t c) { return c == ' ' || (c >= 9 && c <= 13); }
bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

int HexDigit(uint8_t c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr std::string_view kLineNumbersFor = "Line numbers for";

}  // namespace

// ---- parser ----------------------------------------------------------------

size_t TVXAbstractMapParser::LineEnd(size_t from) const {
  while (from < text_.size() && !IsLineEnd(text_[from])) ++from;
  return from;
}

void TVXAbstractMapParser::SkipLine() {
  position_ = LineEnd(position_);
  if (position_ < text_.size() && text_[position_] == '\r') ++position_;
  if (position_ < text_.size() && text_[position_] == '\n') ++position_;
}

void TVXAbstractMapParser::SkipBlanks() {
  while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
}

// Position of `what` in the rest of the current line, or npos.
size_t TVXAbstractMapParser::FindInLine(std::string_view what) const {
  const size_t end = LineEnd(position_);
  const auto* first = text_.data() + position_;
  const auto* last = text_.data() + end;
  const auto* found = std::search(first, last, what.begin(), what.end());
  return found == last ? std::string_view::npos : position_ + static_cast<size_t>(found - text_.data() - position_);
}

bool TVXAbstractMapParser::FindHeader(std::initializer_list<std::string_view> words) {
  for (size_t line = position_; line < text_.size();) {
    const size_t end = LineEnd(line);
    size_t at = line;
    bool matches = true;
    for (std::string_view word : words) {
      const auto* found = std::search(text_.data() + at, text_.data() + end, word.begin(), word.end());
      if (found == text_.data() + end) {
        matches = false;
        break;
      }
      at = static_cast<size_t>(found - text_.data()) + word.size();
    }
    position_ = end;
    if (matches) {
      SkipLine();
      return true;
    }
    SkipLine();
    line = position_;
  }
  return false;
}

bool TVXAbstractMapParser::NextLineStartsWithDigit() {
  SkipBlanks();
  return position_ < text_.size() && IsDigit(text_[position_]);
}

bool TVXAbstractMapParser::ReadHex(uint32_t& value) {
  value = 0;
  const size_t start = position_;
  for (int digit; position_ < text_.size() && (digit = HexDigit(text_[position_])) >= 0; ++position_)
    value = value << 4 | static_cast<uint32_t>(digit);
  return position_ > start;
}

bool TVXAbstractMapParser::ReadDecimal(uint32_t& value) {
  value = 0;
  const size_t start = position_;
  for (; position_ < text_.size() && IsDigit(text_[position_]); ++position_) value = value * 10 + (text_[position_] - '0');
  return position_ > start;
}

bool TVXAbstractMapParser::ReadAddress(Address& address) {
  SkipBlanks();
  if (!ReadHex(address.Segment) || position_ >= text_.size() || text_[position_] != ':') return false;
  ++position_;
  return ReadHex(address.Offset);
}

TVXAbstractMapParser::NamePosition TVXAbstractMapParser::ReadName() {
  while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\t')) ++position_;
  const NamePosition name = static_cast<NamePosition>(position_);
  while (position_ < text_.size() && !IsBlank(text_[position_])) ++position_;
  return name;
}

std::string TVXAbstractMapParser::MapName(NamePosition position) const {
  size_t start = position;
  if (start >= text_.size()) return {};
  size_t end = start;
  if (text_[start] == '(') {
    end = ++start;
    while (end < text_.size() && text_[end] != ')' && !IsLineEnd(text_[end])) ++end;
  } else {
    while (end < text_.size() && !IsBlank(text_[end]) && text_[end] != '(') ++end;
  }
  return std::string(text_.begin() + static_cast<ptrdiff_t>(start), text_.begin() + static_cast<ptrdiff_t>(end));
}

bool TVXAbstractMapParser::ReadAddressAndLength(Address& address, uint32_t& length) {
  if (!ReadAddress(address)) return false;
  SkipBlanks();
  ReadHex(length);
  return true;
}

void TVXAbstractMapParser::Parse() {
  const size_t top = position_;
  if (FindHeader({"Start", "Length", "Name", "Class"})) {
    while (NextLineStartsWithDigit()) {
      Address address;
      uint32_t length = 0;
      if (!ReadAddressAndLength(address, length)) break;
      if (position_ < text_.size() && (text_[position_] == 'H' || text_[position_] == 'h')) ++position_;
      OnSegmentClass(address, length, ReadName());
      SkipLine();
    }
  } else {
    position_ = top;
  }

  size_t resume = position_;
  if (FindHeader({"Detailed", "map", "of", "segments"})) {
    while (NextLineStartsWithDigit()) {
      Address address;
      uint32_t length = 0;
      if (!ReadAddressAndLength(address, length)) break;
      const size_t classAt = FindInLine("C=");
      const size_t unitAt = FindInLine("M=");
      const NamePosition className = static_cast<NamePosition>(classAt == std::string_view::npos ? LineEnd(position_) : classAt + 2);
      const NamePosition unitName = static_cast<NamePosition>(unitAt == std::string_view::npos ? LineEnd(position_) : unitAt + 2);
      OnSegment(address, length, className, unitName);
      SkipLine();
    }
  } else {
    position_ = resume;
  }

  for (const bool byValue : {false, true}) {
    resume = position_;
    if (!FindHeader({"Address", "Publics", "by", byValue ? "Value" : "Name"})) {
      position_ = resume;
      continue;
    }
    while (NextLineStartsWithDigit()) {
      Address address;
      if (!ReadAddress(address)) break;
      const NamePosition name = ReadName();
      byValue ? OnPublicByValue(address, name) : OnPublicByName(address, name);
      SkipLine();
    }
  }

  while (position_ < text_.size()) {
    SkipBlanks();
    const size_t lineStart = position_;
    const size_t end = LineEnd(lineStart);
    if (end - lineStart < kLineNumbersFor.size() ||
        !std::equal(kLineNumbersFor.begin(), kLineNumbersFor.end(), text_.begin() + static_cast<ptrdiff_t>(lineStart))) {
      SkipLine();
      continue;
    }
    position_ += kLineNumbersFor.size();
    const NamePosition unitName = ReadName();
    position_ = unitName;
    const size_t open = FindInLine("(");
    OnLineNumberUnit(unitName, static_cast<NamePosition>(open == std::string_view::npos ? end : open));
    SkipLine();
    while (NextLineStartsWithDigit()) {
      uint32_t line = 0;
      Address address;
      ReadDecimal(line);
      if (!ReadAddress(address)) break;
      OnLineNumber(line, address);
    }
  }
}

// ---- scanner ---------------------------------------------------------------

TVXMapScanner::TVXMapScanner(std::vector<uint8_t> text) : TVXAbstractMapParser(std::move(text)) {
  Parse();
  auto byOffset = [](const Entry& a, const Entry& b) { return a.Offset < b.Offset; };
  std::stable_sort(procedures_.begin(), procedures_.end(), byOffset);
  segments_.shrink_to_fit();
  for (auto* table : {&procedures_, &lines_, &sources_}) table->shrink_to_fit();
}

void TVXMapScanner::OnSegment(Address address, uint32_t length, NamePosition, NamePosition unitName) {
  if (address.Segment != 1) return;
  const uint32_t end = address.Offset + length;
  segments_.push_back({address.Offset, end, unitName});
  highestOffset_ = std::max(highestOffset_, end);
}

void TVXMapScanner::OnPublicByValue(Address address, NamePosition name) {
  if (address.Segment == 1) procedures_.push_back({address.Offset, name});
}

void TVXMapScanner::OnLineNumberUnit(NamePosition, NamePosition sourceName) {
  pendingSource_ = sourceName;
  sourcePending_ = true;
}

void TVXMapScanner::OnLineNumber(uint32_t line, Address address) {
  if (anyLineAccepted_ && !(address.Offset > 0 && address.Offset <= highestOffset_ &&
                            address.Segment == lastLine_.Segment && address.Offset > lastLine_.Offset)) {
    ++rejected_;
    return;
  }
  anyLineAccepted_ = true;
  lastLine_ = address;
  lines_.push_back({address.Offset, line});
  if (sourcePending_) {
    sources_.push_back({address.Offset, pendingSource_});
    sourcePending_ = false;
  }
}

const TVXMapScanner::Segment* TVXMapScanner::SegmentFromOffset(uint32_t offset) const {
  for (auto it = segments_.rbegin(); it != segments_.rend(); ++it)
    if (it->Start <= offset && offset <= it->End) return &*it;
  return nullptr;
}

// The last entry at or below `offset`, when it is not below the start of the
// segment that holds `offset`.
const TVXMapScanner::Entry* TVXMapScanner::Find(const std::vector<Entry>& entries, uint32_t offset) const {
  const Segment* segment = SegmentFromOffset(offset);
  if (segment == nullptr) return nullptr;
  auto after = std::upper_bound(entries.begin(), entries.end(), offset,
                                [](uint32_t value, const Entry& entry) { return value < entry.Offset; });
  if (after == entries.begin()) return nullptr;
  const Entry& entry = *(after - 1);
  return entry.Offset >= segment->Start ? &entry : nullptr;
}

std::string TVXMapScanner::ProcNameFromOffset(uint32_t offset, uint32_t& distance) const {
  const Entry* entry = Find(procedures_, offset);
  distance = entry != nullptr ? offset - entry->Offset : 0;
  return entry != nullptr ? MapName(entry->Value) : std::string();
}

uint32_t TVXMapScanner::LineNumberFromOffset(uint32_t offset) const {
  const Entry* entry = Find(lines_, offset);
  return entry != nullptr ? entry->Value : 0;
}

std::string TVXMapScanner::SourceNameFromOffset(uint32_t offset) const {
  const Entry* entry = Find(sources_, offset);
  return entry != nullptr ? MapName(entry->Value) : std::string();
}

// ---- source ----------------------------------------------------------------

TVXDebugInfoMap::TVXDebugInfoMap(TVXModuleImage module) : TVXDebugInfoSource(std::move(module)) { LoadSource(); }

bool TVXDebugInfoMap::LoadSource() {
  std::vector<uint8_t> text;
  if (!ReadWholeFile(ChangeFileExt(Module().FileName, ".map"), text)) return false;
  scanner_ = std::make_unique<TVXMapScanner>(std::move(text));
  return true;
}

bool TVXDebugInfoMap::FindLocation(uint32_t address, TVXLocationInfo& info) {
  if (!IsValid()) return false;
  const uint32_t offset = SectionOffset(address);
  const TVXMapScanner::Segment* segment = scanner_->SegmentFromOffset(offset);
  if (segment == nullptr) return false;
  uint32_t distance = 0;
  info.Address = address;
  info.UnitName = scanner_->MapName(segment->UnitName);
  info.QualifiedName = scanner_->ProcNameFromOffset(offset, distance);
  info.Line = static_cast<int32_t>(scanner_->LineNumberFromOffset(offset));
  info.SourceFile = scanner_->SourceNameFromOffset(offset);
  info.LinesFromProcStart = info.Line - static_cast<int32_t>(scanner_->LineNumberFromOffset(offset - distance));
  info.Source = this;
  return true;
}

}  // namespace tarvex
