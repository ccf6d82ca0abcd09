#include "crashreport/callstack/disasm/disassembler.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "crashreport/callstack/disasm/disasm_templates.h"

namespace tarvex {

namespace {

using namespace disasm;

const char* const kRegisters8[8] = {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};
const char* const kRegisters16[8] = {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
const char* const kRegisters32[8] = {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"};
const char* const kSegmentRegisters[8] = {"es", "cs", "ss", "ds", "fs", "gs", "???", "???"};
const char* const kBases16[8] = {"bx+si", "bx+di", "bp+si", "bp+di", "si", "di", "bp", "bx"};

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kProtect = '^';            // "^" + length byte + text a hook wrote
constexpr size_t kMaxProtectedRun = 255;  // the length is one byte

void AppendHex(std::string& out, uint64_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHexDigits[(value >> shift) & 0xF];
}

// Tables derived once from the template data: the floating-point register
// forms (64 per escape, from the rows of kFpuEscapeMaps) and the prefixed
// forms by prefix, map and opcode.
struct DerivedTables {
  std::string fpuRegisterForms[8][64];
  const char* prefixedForms[3][2][256] = {};  // [F3, F2, 66][one-byte, 0F][opcode]

  DerivedTables() {
    for (int escape = 0; escape < 8; ++escape) {
      for (int row = 0; row < 8; ++row) {
        const std::string_view rowText = kFpuEscapeMaps[escape].registerRows[row];
        for (int rm = 0; rm < 8; ++rm) fpuRegisterForms[escape][row * 8 + rm] = RowEntry(rowText, rm);
      }
    }
    for (const PrefixedForm& form : kPrefixedForms)
      prefixedForms[PrefixIndex(form.prefix)][form.map - 1][form.opcode] = form.text;
  }

  static int PrefixIndex(uint8_t prefix) { return prefix == 0xF3 ? 0 : prefix == 0xF2 ? 1 : 2; }

  static std::string RowEntry(std::string_view row, int rm) {
    if (row.find('|') != std::string_view::npos) {
      for (int skip = 0; skip < rm; ++skip) row.remove_prefix(row.find('|') + 1);
      return std::string(row.substr(0, row.find('|')));
    }
    std::string entry(row);
    const size_t at = entry.find("st(i)");
    if (at != std::string::npos) entry[at + 3] = char('0' + rm);
    return entry;
  }
};

const DerivedTables& Derived() {
  static const DerivedTables tables;
  return tables;
}

// Text for the "%s" size marker, whose character is '0' + the operand size.
std::string_view SizeText(char marker) {
  switch (marker - '0') {
    case 0: case 6: return {};
    case 2: return "word ptr ";
    case 4: return "dword ptr ";
    case 8: return "qword ptr ";
    case 10: return "tbyte ptr ";
    case 16: return "xmmword ptr ";
    default: return "byte ptr ";
  }
}

// Expands the templates for one instruction (the first pass) and then
// resolves the "%" markers (the second pass).
class Expansion {
 public:
  Expansion(const TDisAsm& hooks, std::span<const uint8_t> code, uint32_t address)
      : hooks_(hooks), code_(code.data()), limit_(std::min<size_t>(code.size(), kMaxInstructionBytes)),
        address_(address) {
    first_.reserve(64);
  }

  void Run(uint32_t& length, std::string& text) {
    Continue(kOneByteMap);
    if (repeatPrefix_ != 0) first_.insert(0, repeatPrefix_ == 0xF3 ? "rep " : "repne ");
    if (truncated_) {
      text = "DB      $";
      AppendHex(text, code_[0], 2);
      length = 1;
      return;
    }
    length = static_cast<uint32_t>(pos_);
    SecondPass(text);
  }

 private:
  // --- reading bytes: never past limit_ ---
  bool Next(uint8_t& byte) {
    if (pos_ >= limit_) {
      truncated_ = true;
      return false;
    }
    byte = code_[pos_++];
    return true;
  }

  uint64_t ReadUnsigned(int size) {
    uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
      uint8_t byte = 0;
      if (!Next(byte)) return 0;
      value |= uint64_t(byte) << (8 * i);
    }
    return value;
  }

  int64_t ReadSigned(int size) {
    const uint64_t value = ReadUnsigned(size);
    const int bits = 8 * size;
    return bits >= 64 ? int64_t(value) : int64_t(value << (64 - bits)) >> (64 - bits);
  }

  uint8_t ModRM() {
    if (modrm_ < 0) {
      uint8_t byte = 0;
      Next(byte);
      modrm_ = byte;
    }
    return static_cast<uint8_t>(modrm_);
  }
  int Mod() { return ModRM() >> 6; }
  int Reg() { return (ModRM() >> 3) & 7; }
  int Rm() { return ModRM() & 7; }

  uint32_t FieldAddress() const { return address_ + static_cast<uint32_t>(pos_); }

  // --- first pass ---
  void Expand(const char* t) {
    while (*t != '\0' && !truncated_) {
      if (*t == '#') {
        Operand(t[1], t[2], t[3]);
        t += 4;
      } else if (*t == '@') {
        Escape(t[1], t[2]);
        t += 3;
      } else {
        first_ += *t++;
      }
    }
  }

  void Continue(const char* const* map) {
    uint8_t byte = 0;
    if (!Next(byte)) return;
    const char* prefixed = PrefixedForm(map == kTwoByteMap ? 1 : 0, byte);
    Expand(prefixed != nullptr ? prefixed : map[byte]);
  }

  // The form an opcode takes after a mandatory prefix; the prefix is used up.
  // F3 and F2 take precedence over 66.
  const char* PrefixedForm(int map, uint8_t opcode) {
    const auto& forms = Derived().prefixedForms;
    if (repeatPrefix_ != 0) {
      const char* form = forms[DerivedTables::PrefixIndex(repeatPrefix_)][map][opcode];
      if (form != nullptr) repeatPrefix_ = 0;
      return form;
    }
    if (map == 1 && operandSize_ == 2) {
      const char* form = forms[DerivedTables::PrefixIndex(0x66)][map][opcode];
      if (form != nullptr) operandSize_ = 4;
      return form;
    }
    return nullptr;
  }

  void Escape(char kind, char arg) {
    switch (kind) {
      case 'c':
        if (arg == '1') return Continue(kOneByteMap);
        if (arg == '2') return Continue(kTwoByteMap);
        if (arg >= 'a' && arg <= 'h') return FloatingPoint(arg - 'a');
        break;
      case 'g':
        if (arg >= 'a' && arg < 'a' + kGroupCount) return Expand(kGroups[arg - 'a'][Reg()]);
        break;
      case 'h':
        if (arg >= '1' && arg < '1' + kOperandGroupCount) return Expand(kOperandGroups[arg - '1'][Reg()]);
        break;
      case 'p':
        if (const char* name = SegmentPrefix(arg)) {
          segment_ = name;
          return Continue(kOneByteMap);
        }
        break;
      case 'r':
        if (arg == 'p' || arg == 'n') {
          repeatPrefix_ = arg == 'p' ? 0xF3 : 0xF2;
          return Continue(kOneByteMap);
        }
        break;
      case 's':
        if (arg == 'o' || arg == 'a') {
          (arg == 'o' ? operandSize_ : addressSize_) = 2;
          return Continue(kOneByteMap);
        }
        break;
      case 'o':
        if (arg == '2' || arg == '4' || arg == '8') {
          const char* letters = operandSize_ == 2 ? "bwd" : "wdq";
          first_ += letters[arg == '2' ? 0 : arg == '4' ? 1 : 2];
          return;
        }
        break;
      case 'm':
        sizeFlag_ = true;
        return;
      case 'e':
        if (operandSize_ != 2) first_ += 'e';
        first_ += arg;
        return;
    }
    first_ += "???";
  }

  static const char* SegmentPrefix(char letter) {
    switch (letter) {
      case 'e': return "es";
      case 'c': return "cs";
      case 's': return "ss";
      case 'd': return "ds";
      case 'f': return "fs";
      case 'g': return "gs";
      default: return nullptr;
    }
  }

  void FloatingPoint(int escape) {
    const uint8_t modrm = ModRM();
    if (modrm < 0xC0)
      Expand(kFpuEscapeMaps[escape].memory[Reg()]);
    else
      Expand(Derived().fpuRegisterForms[escape][modrm - 0xC0].c_str());
  }

  // Operand size in bytes for a type letter; -1 for an unknown letter.
  int TypeSize(char type) const {
    switch (type) {
      case 'b': return 1;
      case 'w': return 2;
      case 'd': return 4;
      case 'q': return 8;
      case 't': return 10;
      case 's': return 6;
      case 'x': return 16;
      case 'v': return operandSize_;
      case 'c': return operandSize_ == 2 ? 1 : 2;
      case 'a': return operandSize_ == 2 ? 4 : 8;
      case 'p': return addressSize_ + 2;
      case ' ': return 0;
      default: return -1;
    }
  }

  void Operand(char method, char type, char kind) {
    const int size = TypeSize(type);
    if (size < 0) {
      first_ += "???";
      return;
    }
    if (type == ' ') sizeFlag_ = false;
    switch (method) {
      case 'A': return type == 'p' ? FarAddress() : void(first_ += "???");
      case 'C': case 'D': case 'T':
        if (type != 'd') break;
        first_ += method;
        first_ += char('0' + Reg());
        return;
      case 'E': case 'M': return RegisterOrMemory(size, &Expansion::GeneralRegister);
      case 'R': return GeneralRegister(Rm(), size);  // the processor ignores the mod field here
      case 'Q': return RegisterOrMemory(size, &Expansion::MmxRegister);
      case 'W': return RegisterOrMemory(size, &Expansion::XmmRegister);
      case 'G': return GeneralRegister(Reg(), size);
      case 'P': return MmxRegister(Reg(), size);
      case 'V': return XmmRegister(Reg(), size);
      case 'S':
        sizeFlag_ = false;
        first_ += kSegmentRegisters[Reg()];
        return;
      case 'H': case 'I': case 'J':
        if (size < 1 || size > 4) break;  // immediates and branch displacements are 1, 2 or 4 bytes
        if (method == 'J') return Branch(size, kind);
        return Immediate(size, method == 'H');
      case 'O': return DirectOffset(size);
    }
    first_ += "???";
  }

  using RegisterWriter = void (Expansion::*)(int number, int size);

  void GeneralRegister(int number, int size) {
    sizeFlag_ = false;
    first_ += size == 1 ? kRegisters8[number] : size == 2 ? kRegisters16[number] : kRegisters32[number];
  }
  void MmxRegister(int number, int) {
    sizeFlag_ = false;
    first_ += "MM";
    first_ += char('0' + number);
  }
  void XmmRegister(int number, int) {
    sizeFlag_ = false;
    first_ += "xmm";
    first_ += char('0' + number);
  }

  // The size marker and the segment override before a memory operand. Sizes
  // other than 4 are always written; 4 only when no register fixes it.
  void MemoryPrefix(int size) {
    if (size != 4 && size != 0) sizeFlag_ = true;
    first_ += "%s";
    first_ += char('0' + size);
    if (segment_ != nullptr) {
      first_ += segment_;
      first_ += ':';
    }
  }

  void RegisterOrMemory(int size, RegisterWriter writeRegister) {
    if (Mod() == 3) return (this->*writeRegister)(Rm(), size);
    if (truncated_) return;
    MemoryPrefix(size);
    first_ += '[';
    if (addressSize_ == 2)
      Address16();
    else
      Address32();
    first_ += ']';
  }

  void Address32() {
    const int mod = Mod();
    const int rm = Rm();
    if (rm == 4) {
      uint8_t sib = 0;
      if (!Next(sib)) return;
      const int base = sib & 7;
      const int index = (sib >> 3) & 7;
      const int scale = sib >> 6;
      if (base == 5 && mod == 0)
        Displacement32();
      else
        first_ += kRegisters32[base];
      if (index != 4) {
        first_ += '+';
        first_ += kRegisters32[index];
        if (scale != 0) {
          first_ += '*';
          first_ += "248"[scale - 1];
        }
      }
    } else if (mod == 0 && rm == 5) {
      Displacement32();
    } else {
      first_ += kRegisters32[rm];
    }
    if (mod == 1) {
      Immediate(1, true);
    } else if (mod == 2) {
      first_ += '+';
      Displacement32();
    }
  }

  void Address16() {
    const int mod = Mod();
    const int rm = Rm();
    if (mod == 0 && rm == 6) {
      first_ += '$';
      AppendHex(first_, ReadUnsigned(2), 4);
      return;
    }
    first_ += kBases16[rm];
    if (mod == 1) {
      Immediate(1, true);
    } else if (mod == 2) {
      first_ += "+$";
      AppendHex(first_, ReadUnsigned(2), 4);
    }
  }

  // "$" + 8 digits, offered to the displacement hook.
  void Displacement32() {
    const uint32_t field = FieldAddress();
    const uint32_t value = static_cast<uint32_t>(ReadUnsigned(4));
    if (hooks_.displacementHook == nullptr) {
      first_ += '$';
      AppendHex(first_, value, 8);
      return;
    }
    std::string text = HexText(value, 8);
    hooks_.displacementHook(hooks_.user, field, value, text);
    AppendProtected(text);
  }

  void Immediate(int size, bool isSigned) {
    const uint32_t field = FieldAddress();
    std::string text;
    if (isSigned)
      text = SignedText(ReadSigned(size), size);
    else
      text = HexText(ReadUnsigned(size), 2 * size);
    if (hooks_.immediateHook == nullptr) {
      first_ += text;
      return;
    }
    hooks_.immediateHook(hooks_.user, field, static_cast<uint32_t>(size), text, isSigned ? 1 : 0);
    AppendProtected(text);
  }

  void Branch(int size, char kind) {
    const uint32_t field = FieldAddress();
    const int64_t displacement = ReadSigned(size);
    const uint32_t target = FieldAddress() + static_cast<uint32_t>(displacement);
    std::string text = SignedText(displacement, size);
    const TDisAsm::TargetHook hook =
        kind == 'j' ? hooks_.jumpTargetHook : kind == 'c' ? hooks_.callTargetHook : nullptr;
    if (hook == nullptr) {
      first_ += text;
      return;
    }
    hook(hooks_.user, field, target, text);
    AppendProtected(text);
  }

  void DirectOffset(int size) {
    MemoryPrefix(size);
    if (addressSize_ == 2) {
      first_ += "[$";
      AppendHex(first_, ReadUnsigned(2), 4);
      first_ += ']';
      return;
    }
    const uint32_t field = FieldAddress();
    const uint32_t value = static_cast<uint32_t>(ReadUnsigned(4));
    std::string address = HexText(value, 8);
    if (hooks_.displacementHook != nullptr) hooks_.displacementHook(hooks_.user, field, value, address);
    std::string text = "[" + address + "]";
    if (hooks_.directOffsetHook != nullptr) hooks_.directOffsetHook(hooks_.user, field, size, text);
    if (hooks_.displacementHook == nullptr && hooks_.directOffsetHook == nullptr)
      first_ += text;
    else
      AppendProtected(text);
  }

  // A far pointer: the offset (operand size), then the 16-bit selector.
  void FarAddress() {
    const uint64_t offset = ReadUnsigned(operandSize_);
    const uint64_t selector = ReadUnsigned(2);
    first_ += '$';
    AppendHex(first_, selector, 4);
    first_ += ":$";
    AppendHex(first_, offset, 2 * operandSize_);
  }

  static std::string HexText(uint64_t value, int digits) {
    std::string text = "$";
    AppendHex(text, value, digits);
    return text;
  }

  static std::string SignedText(int64_t value, int size) {
    std::string text = value < 0 ? "-$" : "+$";
    AppendHex(text, value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value), 2 * size);
    return text;
  }

  void AppendProtected(std::string_view text) {
    while (!text.empty()) {
      const size_t run = std::min(text.size(), kMaxProtectedRun);
      first_ += kProtect;
      first_ += static_cast<char>(run);
      first_.append(text.substr(0, run));
      text.remove_prefix(run);
    }
  }

  // --- second pass ---
  void SecondPass(std::string& text) {
    std::string_view body = first_;
    bool asData = false;
    std::string resolved;
    resolved.reserve(first_.size() + 12);
    for (size_t i = 0; i < body.size();) {
      const char c = body[i];
      if (c == kProtect && i + 1 < body.size()) {
        const size_t run = static_cast<uint8_t>(body[i + 1]);
        resolved.append(body.substr(i + 2, run));
        i += 2 + run;
      } else if (c == '%' && i + 1 < body.size()) {
        const char code = body[i + 1];
        i += 2;
        if (code == 'c') {
          asData = true;
        } else if (code == 's' && i < body.size()) {
          if (sizeFlag_) resolved.append(SizeText(body[i]));
          ++i;
        }
      } else {
        resolved += c;
        ++i;
      }
    }
    while (!resolved.empty() && resolved.back() == ' ') resolved.pop_back();
    if (!asData) {
      text = std::move(resolved);
      return;
    }
    text = "DB      $";
    AppendHex(text, code_[0], 2);
    for (size_t i = 1; i < pos_; ++i) {
      text += ", $";
      AppendHex(text, code_[i], 2);
    }
    text += "  //";
    text += resolved;
  }

  const TDisAsm& hooks_;
  const uint8_t* code_;
  size_t limit_;
  uint32_t address_;
  size_t pos_ = 0;
  bool truncated_ = false;
  int operandSize_ = 4;
  int addressSize_ = 4;
  int modrm_ = -1;
  const char* segment_ = nullptr;
  uint8_t repeatPrefix_ = 0;  // F3 or F2 not (yet) used up by a prefixed form
  bool sizeFlag_ = true;
  std::string first_;
};

// Readable bytes at `address`, at most `limit`: region by region, since the
// last instruction of a block may end before `limit` bytes do.
uint32_t ReadableRun(const MemorySpace& memory, uint32_t address, uint32_t limit) {
  uint32_t total = 0;
  while (total < limit && uint64_t(address) + total <= 0xFFFFFFFFu) {
    const uint32_t run = ReadableBytes(memory, address + total, 1);
    if (run == 0) break;
    total += std::min(run, limit - total);
  }
  return total;
}

}  // namespace

void Disassemble(const TDisAsm& disasm, std::span<const uint8_t> code, uint32_t address, uint32_t& length,
                 std::string& text) {
  if (code.empty()) {
    length = 0;
    text.clear();
    return;
  }
  Expansion(disasm, code, address).Run(length, text);
}

void Disassemble(const TDisAsm& disasm, uint32_t address, uint32_t& length, std::string& text) {
  uint8_t bytes[kMaxInstructionBytes];
  const size_t size = disasm.memory == nullptr ? 0 : ReadableRun(*disasm.memory, address, sizeof bytes);
  if (size != 0) disasm.memory->CopyReadable(address, bytes, size);
  Disassemble(disasm, std::span<const uint8_t>(bytes, size), address, length, text);
}

}  // namespace tarvex
