#include "jdbg_writer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#include "crashreport/base/util/little_endian.h"

namespace tarvex::tool {

namespace {

constexpr uint32_t kEndOfTable = 0x7FFFFFFF;

uint32_t GetU32(const std::vector<uint8_t>& in, size_t at) {
  if (at + 4 > in.size()) throw std::runtime_error("module headers cut short");
  return LittleEndian32(&in[at]);
}

int SixBitCode(char c) {
  if (c >= '0' && c <= '9') return 1 + (c - '0');
  if (c >= 'A' && c <= 'Z') return 11 + (c - 'A');
  if (c >= 'a' && c <= 'z') return 37 + (c - 'a');
  if (c == '_') return 63;
  return -1;
}

// The names area: each distinct name once, in its smallest form.
class NamesArea {
 public:
  uint32_t Add(const std::string& name) {
    if (name.empty()) return 0;
    auto [it, added] = values_.emplace(name, static_cast<uint32_t>(bytes_.size()) + 1);
    if (added) Encode(name);
    return it->second;
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  void Encode(const std::string& name) {
    std::vector<int> codes;
    bool packable = name.size() <= 255;
    for (char c : name) {
      codes.push_back(SixBitCode(c));
      packable = packable && codes.back() > 0;
    }
    codes.push_back(0);
    while (codes.size() % 4 != 0) codes.push_back(0);
    // A first byte of 1 or 2 would read as the XOR form or the "@" mark.
    const uint8_t first = static_cast<uint8_t>(codes[0] | (codes[1] & 3) << 6);
    if (packable && first != 1 && first != 2) {
      for (size_t i = 0; i < codes.size(); i += 4) {
        bytes_.push_back(static_cast<uint8_t>(codes[i] | (codes[i + 1] & 3) << 6));
        bytes_.push_back(static_cast<uint8_t>(codes[i + 1] >> 2 | (codes[i + 2] & 0xF) << 4));
        bytes_.push_back(static_cast<uint8_t>(codes[i + 2] >> 4 | codes[i + 3] << 2));
      }
      return;
    }
    bytes_.push_back(1);
    for (unsigned char c : name) bytes_.push_back(c == 0xAA ? c : static_cast<uint8_t>(c ^ 0xAA));
    bytes_.push_back(0);
  }

  std::map<std::string, uint32_t> values_;
  std::vector<uint8_t> bytes_;
};

// A table of tuples stored as accumulated deltas.
class DeltaTable {
 public:
  explicit DeltaTable(size_t width) : last_(width, 0) {}
  void Add(std::initializer_list<uint32_t> values) {
    size_t i = 0;
    for (uint32_t value : values) Number(value - last_[i]), last_[i++] = value;
  }
  const std::vector<uint8_t>& Finish() {
    Number(kEndOfTable);
    return bytes_;
  }

 private:
  void Number(uint32_t value) {
    do {
      const uint8_t group = value & 0x7F;
      value >>= 7;
      bytes_.push_back(value != 0 ? group | 0x80 : group);
    } while (value != 0);
  }
  std::vector<uint32_t> last_;
  std::vector<uint8_t> bytes_;
};

std::string Stem(const std::string& file) {
  const std::string base = BaseName(file);
  const size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

}  // namespace

std::vector<uint8_t> WriteJdbgData(const ProgramLines& program) {
  NamesArea names;
  DeltaTable units(2), sources(2), symbols(3), lines(2);
  for (const UnitLines& unit : GroupIntoUnits(program)) {
    units.Add({unit.start, names.Add(Stem(unit.file))});
    sources.Add({unit.start, names.Add(BaseName(unit.file))});
    for (const FunctionLines* function : unit.functions) {
      const bool scoped = !function->scope.empty();
      symbols.Add({function->start, names.Add(scoped ? function->scope : function->name),
                   scoped ? names.Add(function->name) : 0});
      for (const LineRow& row : function->rows) lines.Add({row.offset, row.line});
    }
  }

  std::vector<uint8_t> data(34, 0);
  std::memcpy(data.data(), "JDBG", 4);
  data[4] = 1;
  size_t header = 5;
  for (const std::vector<uint8_t>* table :
       {&units.Finish(), &sources.Finish(), &symbols.Finish(), &lines.Finish(), &names.Bytes()}) {
    PutLittleEndian32(&data[header], static_cast<uint32_t>(data.size()));
    header += 4;
    data.insert(data.end(), table->begin(), table->end());
  }
  data.resize((data.size() + 3) / 4 * 4, 0);
  data[33] = 1;
  uint32_t sum = 0;
  for (size_t i = 0; i < data.size(); i += 4) sum += GetU32(data, i);
  PutLittleEndian32(&data[29], sum);  // see the header comment: this makes the stored check hold
  return data;
}

std::vector<uint8_t> AddJdbgSection(std::vector<uint8_t> module, const std::vector<uint8_t>& data) {
  const uint32_t pe = GetU32(module, 0x3C);
  if (module.size() < 2 || module[0] != 'M' || module[1] != 'Z' || GetU32(module, pe) != 0x00004550)
    throw std::runtime_error("not a PE module");
  const size_t fileHeader = pe + 4;
  const uint16_t sectionCount = static_cast<uint16_t>(GetU32(module, fileHeader + 2) & 0xFFFF);
  const uint16_t optionalSize = static_cast<uint16_t>(GetU32(module, fileHeader + 16) & 0xFFFF);
  const size_t optional = fileHeader + 20;
  const uint32_t sectionAlignment = GetU32(module, optional + 32);
  const uint32_t fileAlignment = GetU32(module, optional + 36);
  const uint32_t headersSize = GetU32(module, optional + 60);
  const size_t table = optional + optionalSize;
  const size_t newHeader = table + 40 * size_t(sectionCount);
  if (newHeader + 40 > headersSize || sectionAlignment == 0 || fileAlignment == 0)
    throw std::runtime_error("no room for another section header");
  for (size_t i = newHeader; i < newHeader + 40; ++i)
    if (module[i] != 0) throw std::runtime_error("no room for another section header");

  auto alignUp = [](uint64_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; };
  uint64_t virtualEnd = 0;
  for (size_t s = table; s < newHeader; s += 40)
    virtualEnd = std::max<uint64_t>(virtualEnd, uint64_t(GetU32(module, s + 12)) + GetU32(module, s + 8));
  const uint32_t address = static_cast<uint32_t>(alignUp(virtualEnd, sectionAlignment));
  const uint32_t rawPointer = static_cast<uint32_t>(alignUp(module.size(), fileAlignment));
  const uint32_t rawSize = static_cast<uint32_t>(alignUp(data.size(), fileAlignment));

  std::memcpy(&module[newHeader], "JCLDEBUG", 8);
  PutLittleEndian32(&module[newHeader + 8], static_cast<uint32_t>(data.size()));
  PutLittleEndian32(&module[newHeader + 12], address);
  PutLittleEndian32(&module[newHeader + 16], rawSize);
  PutLittleEndian32(&module[newHeader + 20], rawPointer);
  PutLittleEndian32(&module[newHeader + 36], 0x40000040);  // initialized data, readable
  module[fileHeader + 2] = static_cast<uint8_t>(sectionCount + 1);
  module[fileHeader + 3] = static_cast<uint8_t>((sectionCount + 1) >> 8);
  PutLittleEndian32(&module[optional + 56], static_cast<uint32_t>(alignUp(uint64_t(address) + data.size(), sectionAlignment)));
  module.resize(rawPointer, 0);
  module.insert(module.end(), data.begin(), data.end());
  module.resize(uint64_t(rawPointer) + rawSize, 0);
  return module;
}

}  // namespace tarvex::tool
