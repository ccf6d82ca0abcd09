#include "crashreport/callstack/debuginfo/debug_info_td32.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "crashreport/callstack/pe/byte_cursor.h"
#include "crashreport/callstack/pe/module_stream.h"
#include "crashreport/callstack/pe/pe_image.h"

namespace tarvex {

namespace {

enum SubsectionType : uint16_t { kModule = 0x120, kSymbols = 0x125, kSourceModule = 0x127, kNames = 0x130 };
constexpr uint32_t kDebugDirectory = 6;
constexpr size_t kMaxDirectories = 4096;  // a directory chain longer than this is a loop

bool IsSignature(std::span<const uint8_t> bytes) {
  return bytes.size() >= 4 && (std::memcmp(bytes.data(), "FB09", 4) == 0 || std::memcmp(bytes.data(), "FB0A", 4) == 0);
}

uint32_t U32At(std::span<const uint8_t> bytes, size_t at) {
  ByteCursor cursor(bytes, at);
  return cursor.U32();
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Creates the symbol object for one record; null for types not kept.
std::unique_ptr<TVXSymbolInfo> MakeSymbol(uint16_t type, std::span<const uint8_t> record) {
  auto at = [&](size_t offset) { return U32At(record, offset); };
  auto proc = [&](auto symbol) {
    symbol->Size = at(16), symbol->Offset = at(28), symbol->NameIndex = at(40);
    return std::unique_ptr<TVXSymbolInfo>(std::move(symbol));
  };
  auto data = [&](auto symbol) {
    symbol->Offset = at(4), symbol->TypeIndex = at(12), symbol->NameIndex = at(16);
    return std::unique_ptr<TVXSymbolInfo>(std::move(symbol));
  };
  switch (type) {
    case 0x0003: {
      auto symbol = std::make_unique<TVXConstantSymbolInfo>(type);
      symbol->TypeIndex = at(4), symbol->NameIndex = at(8), symbol->Value = at(16);
      return symbol;
    }
    case 0x0004: {
      auto symbol = std::make_unique<TVXUdtSymbolInfo>(type);
      ByteCursor properties(record, 8);
      symbol->TypeIndex = at(4), symbol->Properties = properties.U16(), symbol->NameIndex = at(10);
      return symbol;
    }
    case 0x0009: {
      auto symbol = std::make_unique<TVXObjNameSymbolInfo>(type);
      symbol->Signature = at(4), symbol->NameIndex = at(8);
      return symbol;
    }
    case 0x0201: return data(std::make_unique<TVXLDataSymbolInfo>(type));
    case 0x0202: return data(std::make_unique<TVXGDataSymbolInfo>(type));
    case 0x0203: return data(std::make_unique<TVXPublicSymbolInfo>(type));
    case 0x0204: return proc(std::make_unique<TVXLocalProcSymbolInfo>(type));
    case 0x0205: return proc(std::make_unique<TVXGlobalProcSymbolInfo>(type));
    case 0x0208: {
      auto symbol = std::make_unique<TVXWithSymbolInfo>(type);
      symbol->Size = at(12), symbol->Offset = at(16), symbol->NameIndex = at(24);
      return symbol;
    }
    case 0x0209: {
      auto symbol = std::make_unique<TVXLabelSymbolInfo>(type);
      symbol->Offset = at(4), symbol->NameIndex = at(12);
      return symbol;
    }
    case 0x020B: {
      auto symbol = std::make_unique<TVXVftPathSymbolInfo>(type);
      symbol->Offset = at(4), symbol->RootIndex = at(12), symbol->PathIndex = at(16);
      return symbol;
    }
    default:
      return nullptr;
  }
}

}  // namespace

bool IsTD32DebugInfoValid(std::span<const uint8_t> block, std::span<const uint8_t>* data) {
  if (block.size() <= 8 || !IsSignature(block.subspan(block.size() - 8))) return false;
  const uint32_t distance = U32At(block, block.size() - 4);
  if (distance > block.size() || distance < 8 || !IsSignature(block.subspan(block.size() - distance))) return false;
  if (data != nullptr) *data = block.subspan(block.size() - distance);
  return true;
}

bool TVXSourceModuleInfo::FindLine(uint32_t offset, TVXLineInfo& line) const {
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (Lines[i].Offset == offset) return line = Lines[i], true;
    if (i > 0 && Lines[i - 1].Offset < offset && Lines[i].Offset > offset) return line = Lines[i - 1], true;
  }
  return false;
}

// ---- parser ----------------------------------------------------------------

TVXTD32InfoParser::TVXTD32InfoParser(std::vector<uint8_t> block) : block_(std::move(block)) {
  std::span<const uint8_t> data;
  valid_ = IsTD32DebugInfoValid(block_, &data) && Analyse(data);
}

bool TVXTD32InfoParser::Analyse(std::span<const uint8_t> data) {
  std::set<uint32_t> seen;
  for (uint32_t directory = U32At(data, 4); directory != 0; directory = U32At(data, uint64_t(directory) + 12)) {
    if (!seen.insert(directory).second || seen.size() > kMaxDirectories) return false;
    ByteCursor header(data, directory);
    header.U16();  // header size
    const uint16_t entrySize = header.U16();
    const uint32_t count = header.U32();
    if (!header.Ok() || entrySize != 12 || count > (data.size() - directory) / 12) return false;
    ByteCursor entry(data, uint64_t(directory) + 16);
    for (uint32_t i = 0; i < count; ++i) {
      const uint16_t type = entry.U16();
      entry.U16();  // module index
      const uint32_t offset = entry.U32();
      const uint32_t size = entry.U32();
      if (!entry.Ok() || offset > data.size() || size > data.size() - offset) return false;
      const std::span<const uint8_t> sub = data.subspan(offset, size);
      bool ok = true;
      switch (type) {
        case kNames: ok = ReadNames(sub); break;
        case kModule: ok = ReadModule(sub); break;
        case kSymbols: ok = ReadSymbols(sub); break;
        case kSourceModule: ok = ReadSourceModule(sub); break;
        default: break;
      }
      if (!ok) return false;
    }
  }
  return true;
}

bool TVXTD32InfoParser::ReadNames(std::span<const uint8_t> sub) {
  ByteCursor cursor(sub);
  const uint32_t count = cursor.U32();
  if (count > sub.size()) return false;
  names_.reserve(names_.size() + count);
  for (uint32_t i = 0; i < count && cursor.Ok(); ++i) {
    names_.push_back(cursor.Text(cursor.U8()));
    cursor.U8();  // terminating zero
  }
  return cursor.Ok();
}

bool TVXTD32InfoParser::ReadModule(std::span<const uint8_t> sub) {
  ByteCursor cursor(sub, 4);
  TVXModuleInfo module;
  const uint16_t segments = cursor.U16();
  cursor.Seek(8);
  module.NameIndex = cursor.U32();
  for (uint32_t i = 0; i < segments && cursor.Ok(); ++i) {
    cursor.Seek(28 + 12 * size_t(i) + 4);
    TVXModuleInfo::Segment segment;
    segment.Offset = cursor.U32();
    segment.Size = cursor.U32();
    module.Segments.push_back(segment);
  }
  if (!cursor.Ok()) return false;
  modules_.push_back(std::move(module));
  return true;
}

bool TVXTD32InfoParser::ReadSymbols(std::span<const uint8_t> sub) {
  ByteCursor cursor(sub, 4);
  while (cursor.Remaining() >= 4) {
    const size_t start = cursor.Position();
    const uint16_t length = cursor.U16();
    const uint16_t type = cursor.U16();
    if (length < 2 || !cursor.Seek(start + 2 + size_t(length))) return false;
    if (auto symbol = MakeSymbol(type, sub.subspan(start, 2 + size_t(length)))) symbols_.push_back(std::move(symbol));
  }
  return true;
}

bool TVXTD32InfoParser::ReadSourceModule(std::span<const uint8_t> sub) {
  ByteCursor cursor(sub);
  const uint16_t files = cursor.U16();
  for (uint32_t f = 0; f < files && cursor.Ok(); ++f) {
    ByteCursor entry(sub, U32At(sub, 4 + 4 * size_t(f)));
    const uint16_t segments = entry.U16();
    TVXSourceModuleInfo source;
    source.NameIndex = entry.U32();
    if (!entry.Ok()) return false;
    if (source.NameIndex == 0) continue;
    std::vector<uint32_t> tables(segments);
    for (uint32_t& table : tables) table = entry.U32();
    for (uint16_t s = 0; s < segments && entry.Ok(); ++s) {
      TVXSourceModuleInfo::Range range;
      range.Start = entry.U32();
      range.End = entry.U32();
      source.Segments.push_back(range);
    }
    for (uint32_t table : tables) {
      ByteCursor lines(sub, table);
      lines.U16();  // segment
      const uint16_t pairs = lines.U16();
      ByteCursor numbers(sub, uint64_t(table) + 4 + 4 * uint64_t(pairs));
      for (uint16_t p = 0; p < pairs && lines.Ok() && numbers.Ok(); ++p) {
        TVXLineInfo line;
        line.Offset = lines.U32();
        line.LineNo = numbers.U16();
        source.Lines.push_back(line);
      }
      if (!lines.Ok() || !numbers.Ok()) return false;
    }
    if (!entry.Ok()) return false;
    sourceModules_.push_back(std::move(source));
  }
  return cursor.Ok();
}

std::string TVXTD32InfoParser::Name(uint32_t index) const {
  return index == 0 || index > names_.size() ? std::string() : names_[index - 1];
}

// ---- scanner ---------------------------------------------------------------

std::string TVXTD32InfoScanner::ModuleNameFromAddr(uint32_t offset) const {
  for (const TVXModuleInfo& module : Modules())
    for (const TVXModuleInfo::Segment& segment : module.Segments)
      if (segment.Offset <= offset && segment.Size >= offset - segment.Offset) return Name(module.NameIndex);
  return {};
}

const TVXProcSymbolInfo* TVXTD32InfoScanner::ProcSymbolFromAddr(uint32_t offset) const {
  for (const auto& symbol : Symbols()) {
    if (symbol->SymbolType != 0x0204 && symbol->SymbolType != 0x0205) continue;
    const auto* proc = static_cast<const TVXProcSymbolInfo*>(symbol.get());
    if (proc->Offset <= offset && offset - proc->Offset < proc->Size) return proc;
  }
  return nullptr;
}

std::string TVXTD32InfoScanner::ProcNameFromAddr(uint32_t offset, uint32_t& distance) const {
  const TVXProcSymbolInfo* proc = ProcSymbolFromAddr(offset);
  distance = proc != nullptr ? offset - proc->Offset : 0;
  return proc != nullptr ? Name(proc->NameIndex) : std::string();
}

const TVXSourceModuleInfo* TVXTD32InfoScanner::SourceModuleFromAddr(uint32_t offset) const {
  for (const TVXSourceModuleInfo& source : SourceModules())
    for (const TVXSourceModuleInfo::Range& range : source.Segments)
      if (range.Start <= offset && offset < range.End) return &source;
  return nullptr;
}

uint32_t TVXTD32InfoScanner::LineNumberFromAddr(uint32_t offset) const {
  const TVXSourceModuleInfo* source = SourceModuleFromAddr(offset);
  TVXLineInfo line;
  return source != nullptr && source->FindLine(offset, line) ? line.LineNo : 0;
}

std::string CleanTD32ProcName(std::string name, const std::string& unitName) {
  if (!name.empty() && name[0] == '@') name.erase(0, 1);
  if (const size_t dollar = name.find('$'); dollar != std::string::npos)
    name.erase(dollar > 0 && name[dollar - 1] == '@' ? dollar - 1 : dollar);
  std::replace(name.begin(), name.end(), '@', '.');
  for (size_t at = 0; (at = name.find("..", at)) != std::string::npos; at += 2) name[at + 1] = '@';
  if (!unitName.empty() && Lower(name).rfind(Lower(unitName), 0) == 0)
    name.erase(0, std::min(name.size(), unitName.size() + 1));
  return name;
}

// ---- image and source ------------------------------------------------------

TVXPeBorTD32Image::TVXPeBorTD32Image(const MemorySpace& memory, uint32_t handle) {
  const TVXPeImage image(memory, handle);
  uint32_t directory = 0, directorySize = 0;
  if (!image.DataDirectory(kDebugDirectory, directory, directorySize)) return;
  for (uint16_t i = 0; i < image.SectionCount(); ++i) {
    TVXPeSection section;
    if (!image.Section(i, section) || section.VirtualAddress != directory) continue;
    uint32_t dataSize = 0, rawPointer = 0;
    if (!ReadValue(memory, handle + directory + 16, dataSize) || !ReadValue(memory, handle + directory + 20, rawPointer))
      return;
    // The raw-data pointer is a file position: the same distance into the section.
    const uint32_t address = section.VirtualAddress + (rawPointer - section.RawPointer);
    THModuleStream stream(memory, handle + address, dataSize);
    present_ = stream.ReadBlock(0, dataSize, block_) && IsTD32DebugInfoValid(block_);
    return;
  }
}

TVXDebugInfoTD32::TVXDebugInfoTD32(TVXModuleImage module) : TVXDebugInfoSource(std::move(module)) { LoadSource(); }

bool TVXDebugInfoTD32::LoadSource() {
  std::vector<uint8_t> block;
  if (Module().Memory != nullptr) {
    TVXPeBorTD32Image image(*Module().Memory, Module().Handle);
    if (image.IsTD32DebugPresent()) block = std::move(image.Block());
  }
  if (block.empty() && !ReadWholeFile(ChangeFileExt(Module().FileName, ".tds"), block)) return false;
  scanner_ = std::make_unique<TVXTD32InfoScanner>(std::move(block));
  if (!scanner_->ValidData()) scanner_.reset();  // an invalid block is dropped
  return scanner_ != nullptr;
}

bool TVXDebugInfoTD32::FindLocation(uint32_t address, TVXLocationInfo& info) {
  if (!IsValid()) return false;
  const uint32_t offset = SectionOffset(address);
  const std::string unit = scanner_->ModuleNameFromAddr(offset);
  if (unit.empty()) return false;
  uint32_t distance = 0;
  info.Address = address;
  info.UnitName = unit;
  info.QualifiedName = CleanTD32ProcName(scanner_->ProcNameFromAddr(offset, distance), unit);
  info.Line = static_cast<int32_t>(scanner_->LineNumberFromAddr(offset));
  const TVXSourceModuleInfo* source = scanner_->SourceModuleFromAddr(offset);
  info.SourceFile = source != nullptr ? scanner_->Name(source->NameIndex) : std::string();
  info.LinesFromProcStart = info.Line - static_cast<int32_t>(scanner_->LineNumberFromAddr(offset - distance));
  info.Source = this;
  return true;
}

}  // namespace tarvex
