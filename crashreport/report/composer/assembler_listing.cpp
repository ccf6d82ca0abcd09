#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

#include "crashreport/callstack/disasm/disassembler.h"
#include "crashreport/callstack/disasm/instruction_length.h"
#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/report/composer/machine_sections.h"
#include "crashreport/report/composer/object_class_name.h"
#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/text_case.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

constexpr uint32_t kReach = 70;           // bytes looked at on each side of the exception address
constexpr int kMostInstructions = 10;     // listed on each side
constexpr uint32_t kStringPeekBytes = 32;  // of a possible string an immediate points to

// The code around the exception address, copied once; unreadable bytes are marked.
class CodeWindow {
 public:
  CodeWindow(const MemorySpace& memory, uint32_t low, uint32_t high) : low_(low), bytes_(high - low), readable_(high - low) {
    for (uint32_t at = low; at < high;) {
      const uint32_t run = ReadableBytes(memory, at, high - at);
      if (run == 0) {
        ++at;
        continue;
      }
      const uint32_t take = std::min(run, high - at);
      memory.CopyReadable(at, &bytes_[at - low], take);
      std::fill_n(readable_.begin() + (at - low), take, 1);
      at += take;
    }
  }
  bool Readable(uint32_t address) const { return Inside(address) && readable_[address - low_]; }
  // The readable bytes from `address` on, at most one instruction's worth.
  std::span<const uint8_t> From(uint32_t address) const {
    size_t n = 0;
    while (n < kMaxInstructionLength && Readable(address + n)) ++n;
    return {Inside(address) ? &bytes_[address - low_] : nullptr, n};
  }
  // The length of a valid instruction at `address`, or 0.
  uint32_t ValidLength(uint32_t address) const {
    const std::span<const uint8_t> code = From(address);
    InstructionShape shape;
    return !code.empty() && DecodeInstruction(code.data(), code.size(), shape) == DecodeStatus::kValid ? shape.length
                                                                                                      : 0;
  }
  // One step of a walk: an undecodable byte is passed over and not counted.
  uint32_t Step(uint32_t address, int& counted) const {
    const uint32_t length = ValidLength(address);
    if (length == 0) return address + 1;
    ++counted;
    return address + length;
  }

 private:
  bool Inside(uint32_t address) const { return address >= low_ && address - low_ < bytes_.size(); }
  uint32_t low_;
  std::vector<uint8_t> bytes_;
  std::vector<uint8_t> readable_;
};

// The first instruction start from which a decoding walk lands exactly on the
// exception address, moved on so that at most 10 instructions precede it.
uint32_t SynchronisedStart(const CodeWindow& code, uint32_t low, uint32_t exception) {
  uint32_t start = low;
  while (start < exception && !code.Readable(start)) ++start;
  for (uint32_t candidate = start; candidate <= exception; ++candidate) {
    int count = 0;
    uint32_t at = candidate;
    while (at < exception) at = code.Step(at, count);
    if (at != exception) continue;
    for (int excess = count - kMostInstructions; excess > 0;) {
      int moved = 0;
      candidate = code.Step(candidate, moved);
      excess -= moved;
    }
    return candidate;
  }
  return exception;
}

std::string WithoutExtension(const std::string& name) {
  const std::string ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size());
}

// "Unit.Class.Procedure", the non-empty parts only; empty below procedure level.
std::string PlaceText(const TTarvexStackItem& item) {
  if (!HasProcedure(item.InfoLevel)) return {};
  std::string place;
  for (const std::string& part : {WithoutExtension(item.UnitName.str()), item.ClassName.str(), item.ProcedureName.str()}) {
    if (part.empty()) continue;
    if (!place.empty()) place += '.';
    place += part;
  }
  return place;
}

struct Annotator {
  const MemorySpace* memory;
  const AddressLocator* locate;

  bool Locate(uint32_t address, TTarvexStackItem& item) const {
    if (!*locate) return false;
    (*locate)(address, item);
    return HasProcedure(item.InfoLevel);
  }
  // An address operand named by its procedure (and line when past the
  // first), else by the class of the object it points at.
  static void NameAddress(void* user, uint32_t, uint32_t address, std::string& text) {
    const Annotator& self = *static_cast<const Annotator*>(user);
    TTarvexStackItem item;
    if (self.Locate(address, item)) {
      text = PlaceText(item);
      if (item.LinesIntoProc > 1) text += " (Line=" + std::to_string(item.Line) + ")";
    } else if (self.memory) {
      if (std::string className = ObjectClassName(*self.memory, address); !className.empty()) text = className;
    }
  }
  // A 32-bit immediate that points at readable bytes shows them as a string.
  static void PeekString(void* user, uint32_t, uint32_t size, std::string& text, int isSigned) {
    const Annotator& self = *static_cast<const Annotator*>(user);
    if (size != 4 || isSigned || !self.memory || text.size() < 2 || text[0] != '$') return;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str() + 1, &end, 16);
    if (*end != '\0' || value == 0) return;
    uint8_t bytes[kStringPeekBytes];
    const uint32_t readable = ReadableBytes(*self.memory, uint32_t(value), kStringPeekBytes);
    if (readable == 0) return;
    const uint32_t take = std::min(readable, kStringPeekBytes);
    self.memory->CopyReadable(uint32_t(value), bytes, take);
    std::string peek;
    uint32_t i = 0;
    for (; i < take && bytes[i] != 0; ++i) peek += bytes[i] < 32 ? '.' : char(bytes[i]);
    text += "  ; '" + peek + "'" + (i == take ? "..." : "");
  }
};

}  // namespace

AssemblerSection BuildAssemblerListing(const MemorySpace* memory, uint32_t exception, const AddressLocator& locate,
                                       const std::string& caption) {
  if (!memory || !IsReadableBlock(*memory, exception, 4) || exception < kReach || exception > 0xFFFFFFFFu - 2 * kReach)
    return {};
  const uint32_t low = exception - kReach;
  const CodeWindow code(*memory, low, exception + kReach + kMaxInstructionLength);
  uint32_t last = exception + kReach;
  while (last > exception && !code.Readable(last)) --last;

  Annotator annotator{memory, &locate};
  TDisAsm disasm;
  disasm.user = &annotator;
  disasm.jumpTargetHook = disasm.callTargetHook = Annotator::NameAddress;
  disasm.displacementHook = Annotator::NameAddress;
  disasm.immediateHook = Annotator::PeekString;

  std::vector<std::string> lines;
  size_t cut = 0, longest = 0;
  std::string lastPlace, lastLineText;
  int after = 0;
  for (uint32_t at = SynchronisedStart(code, low, exception); at <= last;) {
    const std::span<const uint8_t> bytes = code.From(at);
    if (bytes.empty()) break;
    uint32_t length = 0;
    std::string text;
    Disassemble(disasm, bytes, at, length, text);
    std::string line = rtl::Format("%08X  ", at) + text;
    longest = std::max(longest, TrimText(std::string_view(line).substr(0, line.find(';'))).size());
    if (at == exception) line += "  ; <-- EXCEPTION";

    TTarvexStackItem item;
    if (locate && (locate(at, item), HasProcedure(item.InfoLevel))) {
      const std::string place = PlaceText(item) + " ";
      const std::string lineText = "Line=" + std::to_string(item.Line) + " - Offset=" + std::to_string(item.LinesIntoProc);
      std::string note;
      if (place != lastPlace) {
        note = place;
        if (at <= exception) cut = lines.size();
        lastPlace = place;
      }
      if (lineText != lastLineText) {
        note += "(" + lineText + ")";
        lastLineText = lineText;
      }
      if (!note.empty()) {
        if (!lines.empty()) lines.push_back(";");
        lines.push_back("; " + note);
        lines.push_back("; " + std::string(note.size(), '-'));
      }
    }
    lines.push_back(std::move(line));
    if (at > exception && (++after == kMostInstructions || (bytes[0] >= 0xC2 && bytes[0] <= 0xCB))) break;
    at += length;
  }
  lines.erase(lines.begin(), lines.begin() + cut);
  if (!lines.empty() && lines.front() == ";") lines.erase(lines.begin());

  const size_t column = longest + 2;
  size_t widest = 0;
  AssemblerSection section;
  for (std::string& line : lines) {
    const size_t semicolon = line.find(';');
    if (semicolon != std::string::npos && semicolon >= 2 && semicolon < column)
      line.insert(semicolon, column - semicolon, ' ');
    widest = std::max(widest, line.size());
    section.listing.append(line).append("\r\n");
  }
  section.title = caption + ":\r\n" + std::string(std::max(caption.size() + 1, widest), '-');
  return section;
}

}  // namespace tarvex
