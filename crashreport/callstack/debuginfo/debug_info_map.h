// The linker map file source (TVXDebugInfoMap): "<module>.map" beside the
// module. The scanner looks for five sections, each after its header line
// (header words found at increasing positions in a line):
//   "Start Length Name Class"        SSSS:OOOOOOOO LLLLLLLLH name class
//   "Detailed map of segments"       SSSS:OOOOOOOO LLLLLLLL C=class ... M=unit ...
//   "Address Publics by Name"        SSSS:OOOOOOOO name            (ignored)
//   "Address Publics by Value"       SSSS:OOOOOOOO name
//   "Line numbers for unit(file) ..." then pairs "line SSSS:OOOOOOOO", any per line
// Only segment 1 (code) is kept; offsets count from the first section.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crashreport/callstack/debuginfo/debug_info_source.h"

namespace tarvex {

// Walks the map text and reports what it finds through the callbacks.
class TVXAbstractMapParser {
 public:
  struct Address {
    uint32_t Segment = 0;
    uint32_t Offset = 0;
  };
  // A name as a position in the text; cut out with MapName.
  using NamePosition = uint32_t;

  explicit TVXAbstractMapParser(std::vector<uint8_t> text) : text_(std::move(text)) {}
  virtual ~TVXAbstractMapParser() = default;

  void Parse();
  // The name that starts at `position`: "(...)" gives the text inside the
  // parentheses (to ")" or the line end); any other runs to a line end, blank or "(".
  std::string MapName(NamePosition position) const;

 protected:
  virtual void OnSegmentClass(Address address, uint32_t length, NamePosition name) = 0;
  virtual void OnSegment(Address address, uint32_t length, NamePosition className, NamePosition unitName) = 0;
  virtual void OnPublicByName(Address address, NamePosition name) = 0;
  virtual void OnPublicByValue(Address address, NamePosition name) = 0;
  virtual void OnLineNumberUnit(NamePosition unitName, NamePosition sourceName) = 0;
  virtual void OnLineNumber(uint32_t line, Address address) = 0;

 private:
  bool FindHeader(std::initializer_list<std::string_view> words);
  bool NextLineStartsWithDigit();
  void SkipBlanks();
  void SkipLine();
  bool ReadHex(uint32_t& value);
  bool ReadDecimal(uint32_t& value);
  bool ReadAddress(Address& address);
  // "SSSS:OOOOOOOO" then blanks and a hexadecimal length (segment tables).
  bool ReadAddressAndLength(Address& address, uint32_t& length);
  NamePosition ReadName();
  size_t LineEnd(size_t from) const;
  size_t FindInLine(std::string_view what) const;

  std::vector<uint8_t> text_;
  size_t position_ = 0;
};

class TVXMapScanner : public TVXAbstractMapParser {
 public:
  explicit TVXMapScanner(std::vector<uint8_t> text);

  struct Segment {
    uint32_t Start = 0;
    uint32_t End = 0;  // start + length (inclusive bound)
    NamePosition UnitName = 0;
  };
  struct Entry {
    uint32_t Offset = 0;
    uint32_t Value = 0;  // name position or line number
  };

  // The segment holding `offset` (searching from the last); null when none.
  const Segment* SegmentFromOffset(uint32_t offset) const;
  // The procedure, line and source name at `offset`; empty / 0 when none.
  std::string ProcNameFromOffset(uint32_t offset, uint32_t& distance) const;
  uint32_t LineNumberFromOffset(uint32_t offset) const;
  std::string SourceNameFromOffset(uint32_t offset) const;
  uint32_t RejectedLines() const { return rejected_; }
  bool Empty() const { return segments_.empty(); }

 protected:
  void OnSegmentClass(Address, uint32_t, NamePosition) override {}
  void OnSegment(Address address, uint32_t length, NamePosition className, NamePosition unitName) override;
  void OnPublicByName(Address, NamePosition) override {}
  void OnPublicByValue(Address address, NamePosition name) override;
  void OnLineNumberUnit(NamePosition unitName, NamePosition sourceName) override;
  void OnLineNumber(uint32_t line, Address address) override;

 private:
  const Entry* Find(const std::vector<Entry>& entries, uint32_t offset) const;

  std::vector<Segment> segments_;
  std::vector<Entry> procedures_;  // by offset; Value = name position
  std::vector<Entry> lines_;       // by offset; Value = line
  std::vector<Entry> sources_;     // by offset; Value = name position
  Address lastLine_;
  bool anyLineAccepted_ = false;
  uint32_t highestOffset_ = 0;
  uint32_t rejected_ = 0;
  bool sourcePending_ = false;
  NamePosition pendingSource_ = 0;
};

class TVXDebugInfoMap final : public TVXDebugInfoSource {
 public:
  explicit TVXDebugInfoMap(TVXModuleImage module);

  bool LoadSource() override;
  bool IsValid() const override { return scanner_ != nullptr && !scanner_->Empty(); }
  bool FindLocation(uint32_t address, TVXLocationInfo& info) override;

  const TVXMapScanner* Scanner() const { return scanner_.get(); }

 private:
  std::unique_ptr<TVXMapScanner> scanner_;
};

}  // namespace tarvex
