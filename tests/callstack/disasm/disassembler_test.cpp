#include "crashreport/callstack/disasm/disassembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tarvex;

constexpr uint32_t kAddress = 0x00401000;

struct Decoded {
  std::string text;
  uint32_t length = 0;
};

Decoded Decode(const std::vector<uint8_t>& bytes, const TDisAsm& disasm = TDisAsm()) {
  Decoded d;
  Disassemble(disasm, bytes, kAddress, d.length, d.text);
  return d;
}

struct Case {
  std::vector<uint8_t> bytes;
  const char* text;
};

// Golden cases: the bytes of one instruction and its line.
const Case kCases[] = {
    // register operands fix the size, so no size prefix
    {{0x8B, 0x45, 0xFC}, "mov     eax, [ebp-$04]"},
    {{0x89, 0x4D, 0x08}, "mov     [ebp+$08], ecx"},
    {{0x8B, 0x84, 0x24, 0x00, 0x01, 0x00, 0x00}, "mov     eax, [esp+$00000100]"},
    {{0x8D, 0x44, 0x24, 0x10}, "lea     eax, [esp+$10]"},
    {{0x8D, 0x04, 0x49}, "lea     eax, [ecx+ecx*2]"},
    {{0x0F, 0xB6, 0x04, 0x8D, 0x00, 0x20, 0x40, 0x00}, "movzx   eax, byte ptr [$00402000+ecx*4]"},
    {{0x0F, 0xBF, 0x06}, "movsx   eax, word ptr [esi]"},
    {{0x8B, 0x45, 0x00}, "mov     eax, [ebp+$00]"},
    {{0x8B, 0x04, 0x24}, "mov     eax, [esp]"},
    // no register operand: the size prefix is written
    {{0xFF, 0x15, 0x78, 0x56, 0x34, 0x12}, "call    dword ptr [$12345678]"},
    {{0xC7, 0x00, 0x78, 0x56, 0x34, 0x12}, "mov     dword ptr [eax], $12345678"},
    {{0x80, 0x7D, 0x08, 0x05}, "cmp     byte ptr [ebp+$08], $05"},
    {{0x66, 0xC7, 0x00, 0x34, 0x12}, "mov     word ptr [eax], $1234"},
    {{0xFF, 0x24, 0x85, 0x00, 0x20, 0x40, 0x00}, "jmp     dword ptr [$00402000+eax*4]"},
    {{0x0F, 0x1F, 0x44, 0x00, 0x00}, "nop     dword ptr [eax+eax+$00]"},
    {{0xDD, 0x5C, 0x24, 0x18}, "fstp    qword ptr [esp+$18]"},
    {{0xDB, 0x2D, 0x00, 0x20, 0x40, 0x00}, "fld     tbyte ptr [$00402000]"},
    {{0xD9, 0x45, 0xF8}, "fld     dword ptr [ebp-$08]"},
    {{0xDF, 0x6D, 0xF0}, "fild    qword ptr [ebp-$10]"},
    {{0x64, 0xA1, 0x18, 0x00, 0x00, 0x00}, "mov     eax, dword ptr fs:[$00000018]"},
    {{0x26, 0x8B, 0x00}, "mov     eax, es:[eax]"},
    // immediates: unsigned "I", signed "H"
    {{0x83, 0xC4, 0xF0}, "add     esp, -$10"},
    {{0x83, 0xEC, 0x0C}, "sub     esp, +$0C"},
    {{0x6B, 0xC0, 0x80}, "imul    eax, eax, -$80"},
    {{0x69, 0xC0, 0x10, 0x27, 0x00, 0x00}, "imul    eax, eax, $00002710"},
    {{0x6A, 0xFF}, "push    -$01"},
    {{0xC2, 0x08, 0x00}, "ret     $0008"},
    {{0xC8, 0x10, 0x00, 0x01}, "enter   $0010, $01"},
    {{0xB1, 0x7F}, "mov     cl, $7F"},
    // groups and second-level groups
    {{0xC0, 0xE0, 0x04}, "shl     al, $04"},
    {{0xD1, 0xF8}, "sar     eax, 1"},
    {{0xD3, 0xE8}, "shr     eax, cl"},
    {{0xF6, 0xC1, 0x01}, "test    cl, $01"},
    {{0xF7, 0xD8}, "neg     eax"},
    {{0xF7, 0x7D, 0xF8}, "idiv    dword ptr [ebp-$08]"},
    {{0xFE, 0xC0}, "inc     al"},
    {{0xFF, 0xD0}, "call    eax"},
    {{0xFF, 0x30}, "push    dword ptr [eax]"},
    {{0xFF, 0x6D, 0x00}, "jmp     far [ebp+$00]"},
    {{0x0F, 0xBA, 0xE0, 0x03}, "bt      eax, $03"},
    {{0x0F, 0xC7, 0x0E}, "cmpxchg8b qword ptr [esi]"},
    {{0x0F, 0xC7, 0xF0}, "rdrand  eax"},
    // two-byte map
    {{0x0F, 0x44, 0xC1}, "cmovz   eax, ecx"},
    {{0x0F, 0x94, 0xC0}, "setz    al"},
    {{0x0F, 0xA2}, "cpuid"},
    {{0x0F, 0xA4, 0xC2, 0x04}, "shld    edx, eax, $04"},
    {{0x0F, 0xAD, 0xC2}, "shrd    edx, eax, cl"},
    {{0x0F, 0xC8}, "bswap   eax"},
    {{0x0F, 0x20, 0xC0}, "mov     eax, C0"},
    {{0x0F, 0x20, 0x05}, "mov     ebp, C0"},  // always a register, whatever the mod field says
    {{0x0F, 0x00, 0xC8}, "str     ax"},
    {{0x8C, 0xF0}, "mov     ax, ???"},  // there is no segment register 6
    // the operand-size prefix
    {{0x66, 0xB8, 0x34, 0x12}, "mov     ax, $1234"},
    {{0x66, 0x05, 0x34, 0x12}, "add     ax, $1234"},
    {{0x66, 0x50}, "push    ax"},
    {{0x66, 0x87, 0xD8}, "xchg    ax, bx"},
    {{0x66, 0x92}, "xchg    ax, dx"},
    {{0x66, 0x8B, 0x00}, "mov     ax, word ptr [eax]"},  // sizes other than 4 are always written
    {{0x8A, 0x00}, "mov     al, byte ptr [eax]"},
    {{0x88, 0x08}, "mov     [eax], cl"},  // the register after the memory operand fixes the size
    {{0x66, 0x0F, 0xB6, 0xC1}, "movzx   ax, cl"},
    // size letters of string and conversion instructions
    {{0xA5}, "movsd"},
    {{0x66, 0xA5}, "movsw"},
    {{0xA4}, "movsb"},
    {{0xF3, 0xAB}, "rep stosd"},
    {{0xF2, 0xAE}, "repne scasb"},
    {{0xF0, 0x0F, 0xB1, 0x0A}, "lock cmpxchg [edx], ecx"},
    {{0xF3, 0x3E, 0xA5}, "rep movsd"},
    {{0xF3, 0x83, 0xC0, 0x01}, "rep add     eax, +$01"},  // kept where it has no meaning
    // forms chosen by a mandatory prefix
    {{0xF3, 0x90}, "pause"},
    {{0xF3, 0x0F, 0xBC, 0xC8}, "tzcnt   ecx, eax"},
    {{0x66, 0xF3, 0x0F, 0xB8, 0xC8}, "popcnt  cx, ax"},
    {{0xF2, 0x0F, 0x51, 0xC1}, "DB      $F2, $0F, $51, $C1  //sqrtsd  xmm0, xmm1"},
    {{0x66, 0x0F, 0x6F, 0x07}, "DB      $66, $0F, $6F, $07  //movdqa  xmm0, xmmword ptr [edi]"},
    {{0x66, 0x0F, 0x7E, 0xC0}, "DB      $66, $0F, $7E, $C0  //movd    eax, xmm0"},
    {{0xF3, 0x0F, 0x58, 0x06}, "DB      $F3, $0F, $58, $06  //addss   xmm0, dword ptr [esi]"},  // xmm0 does not fix it
    {{0x0F, 0x6E, 0x00}, "DB      $0F, $6E, $00  //movd    MM0, dword ptr [eax]"},
    {{0x66, 0x0F, 0xEF, 0xC0}, "DB      $66, $0F, $EF, $C0  //pxor    xmm0, xmm0"},
    {{0x98}, "cwde"},
    {{0x66, 0x98}, "cbw"},
    {{0x99}, "cdq"},
    {{0x66, 0x99}, "cwd"},
    {{0x60}, "pushad"},
    {{0x9C}, "pushfd"},
    {{0xE3, 0x00}, "jecxz   +$00"},
    // 16-bit addressing
    {{0x67, 0x8B, 0x46, 0x08}, "mov     eax, [bp+$08]"},
    {{0x67, 0x8B, 0x00}, "mov     eax, [bx+si]"},
    {{0x67, 0x8B, 0x06, 0x34, 0x12}, "mov     eax, [$1234]"},
    {{0x67, 0x8B, 0x87, 0x34, 0x12}, "mov     eax, [bx+$1234]"},
    {{0x67, 0xA1, 0x34, 0x12}, "mov     eax, dword ptr [$1234]"},
    // direct offsets, far addresses, relative branches
    {{0xA1, 0x00, 0x20, 0x40, 0x00}, "mov     eax, dword ptr [$00402000]"},
    {{0xA2, 0x00, 0x20, 0x40, 0x00}, "mov     byte ptr [$00402000], al"},
    {{0x9A, 0x78, 0x56, 0x34, 0x12, 0x1B, 0x00}, "call    $001B:$12345678"},
    {{0xEB, 0xFE}, "jmp     -$02"},
    {{0x74, 0x10}, "jz      +$10"},
    {{0xE8, 0x00, 0x01, 0x00, 0x00}, "call    +$00000100"},
    {{0x0F, 0x85, 0xF0, 0xFF, 0xFF, 0xFF}, "jnz     -$00000010"},
    {{0x66, 0xE9, 0x10, 0x00}, "jmp     +$0010"},
    // floating point register forms
    {{0xD8, 0xC1}, "fadd    st(0), st(1)"},
    {{0xDC, 0xE9}, "fsub    st(1), st(0)"},
    {{0xDE, 0xF9}, "fdivp   st(1), st(0)"},
    {{0xD9, 0xC9}, "fxch    st(1)"},
    {{0xDD, 0xD8}, "fstp    st(0)"},
    {{0xD9, 0xE8}, "fld1"},
    {{0xD9, 0xFA}, "fsqrt"},
    {{0xDF, 0xE0}, "fnstsw  ax"},
    {{0xDA, 0xE9}, "fucompp"},
    {{0xDB, 0xE9}, "fucomi  st(0), st(1)"},
    // shown as data, with the decoded form after "//"
    {{0x0F, 0x60, 0xC1}, "DB      $0F, $60, $C1  //punpcklbw MM0, MM1"},
    {{0x0F, 0x6F, 0x45, 0x08}, "DB      $0F, $6F, $45, $08  //movq    MM0, qword ptr [ebp+$08]"},
    {{0x0F, 0x28, 0xC1}, "DB      $0F, $28, $C1  //movaps  xmm0, xmm1"},
    {{0x0F, 0x72, 0xD0, 0x05}, "DB      $0F, $72, $D0, $05  //psrld   MM0, $05"},
    {{0x0F, 0xFF}, "DB      $0F, $FF  //"},
    {{0xD6}, "DB      $D6  //"},
    {{0xFE, 0xD0}, "DB      $FE, $D0  //"},
    {{0xDD, 0xC8}, "DB      $DD, $C8  //"},
};

TEST(Disassembler, GoldenInstructions) {
  for (const Case& c : kCases) {
    const Decoded d = Decode(c.bytes);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.length, c.bytes.size()) << c.text;
  }
}

TEST(Disassembler, InstructionCutShortIsOneByteOfData) {
  const std::vector<std::vector<uint8_t>> cases = {
      {0x8B, 0x45},                              // ModRM needs a displacement byte
      {0xE8, 0x00, 0x01},                        // call needs 4 bytes
      {0x0F},                                    // escape alone
      {0x66, 0x66},                              // prefixes only
      std::vector<uint8_t>(16, 0x66),            // more than 15 bytes of prefixes
      {0x8B, 0x04},                              // no SIB byte
  };
  for (const auto& bytes : cases) {
    const Decoded d = Decode(bytes);
    char expected[16];
    std::snprintf(expected, sizeof expected, "DB      $%02X", bytes[0]);
    EXPECT_EQ(d.text, expected);
    EXPECT_EQ(d.length, 1u);
  }
  // Fifteen bytes are still one instruction.
  std::vector<uint8_t> longest(14, 0x66);
  longest.push_back(0x90);
  EXPECT_EQ(Decode(longest).length, 15u);
}

TEST(Disassembler, ReadsOnlyReadableMemory) {
  BufferMemorySpace memory;
  memory.Map(0x401000, {0x90, 0xC7, 0x00, 0x78, 0x56});  // mov [eax], imm32 runs off the block
  memory.Map(0x402000, {0x8B, 0x45, 0xFC});
  TDisAsm disasm(&memory);
  uint32_t length = 99;
  std::string text = "old";
  Disassemble(disasm, 0x401000, length, text);
  EXPECT_EQ(text, "nop");
  EXPECT_EQ(length, 1u);
  Disassemble(disasm, 0x401001, length, text);
  EXPECT_EQ(text, "DB      $C7");
  EXPECT_EQ(length, 1u);
  Disassemble(disasm, 0x402000, length, text);
  EXPECT_EQ(text, "mov     eax, [ebp-$04]");
  EXPECT_EQ(length, 3u);
  Disassemble(disasm, 0x403000, length, text);  // unmapped
  EXPECT_EQ(text, "");
  EXPECT_EQ(length, 0u);
}

// Records every hook call and answers with fixed texts.
struct HookLog {
  std::vector<std::string> calls;
  std::string answer;

  static HookLog& Of(void* user) { return *static_cast<HookLog*>(user); }
  static void Record(void* user, const char* kind, uint32_t field, uint32_t value, std::string& text) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %08X %08X %s", kind, field, value, text.c_str());
    Of(user).calls.push_back(line);
    if (!Of(user).answer.empty()) text = Of(user).answer;
  }
};

TDisAsm HookedDisAsm(HookLog& log) {
  TDisAsm disasm;
  disasm.user = &log;
  disasm.jumpTargetHook = [](void* u, uint32_t f, uint32_t t, std::string& s) { HookLog::Record(u, "jump", f, t, s); };
  disasm.callTargetHook = [](void* u, uint32_t f, uint32_t t, std::string& s) { HookLog::Record(u, "call", f, t, s); };
  disasm.displacementHook = [](void* u, uint32_t f, uint32_t d, std::string& s) { HookLog::Record(u, "disp", f, d, s); };
  disasm.directOffsetHook = [](void* u, uint32_t f, uint32_t n, std::string& s) { HookLog::Record(u, "offset", f, n, s); };
  disasm.immediateHook = [](void* u, uint32_t f, uint32_t n, std::string& s, int isSigned) {
    HookLog::Record(u, isSigned ? "signed" : "unsigned", f, n, s);
  };
  return disasm;
}

TEST(Disassembler, OffersOperandsToTheHooks) {
  struct HookCase {
    std::vector<uint8_t> bytes;
    std::vector<std::string> calls;
  };
  const HookCase cases[] = {
      {{0xFF, 0x15, 0x78, 0x56, 0x34, 0x12}, {"disp 00401002 12345678 $12345678"}},
      {{0x8B, 0x80, 0x00, 0x20, 0x40, 0x00}, {"disp 00401002 00402000 $00402000"}},
      {{0xEB, 0x10}, {"jump 00401001 00401012 +$10"}},
      {{0x0F, 0x84, 0xFA, 0xFF, 0xFF, 0xFF}, {"jump 00401002 00401000 -$00000006"}},
      {{0xE8, 0xFB, 0x0F, 0x00, 0x00}, {"call 00401001 00402000 +$00000FFB"}},
      {{0x68, 0x00, 0x20, 0x40, 0x00}, {"unsigned 00401001 00000004 $00402000"}},
      {{0x83, 0xC4, 0xF0}, {"signed 00401002 00000001 -$10"}},
      {{0x8B, 0x45, 0xFC}, {"signed 00401002 00000001 -$04"}},
      {{0xA1, 0x00, 0x20, 0x40, 0x00},
       {"disp 00401001 00402000 $00402000", "offset 00401001 00000004 [$00402000]"}},
      {{0xC7, 0x45, 0xF8, 0x01, 0x00, 0x00, 0x00},
       {"signed 00401002 00000001 -$08", "unsigned 00401003 00000004 $00000001"}},
  };
  for (const HookCase& c : cases) {
    HookLog log;
    Decode(c.bytes, HookedDisAsm(log));
    EXPECT_EQ(log.calls, c.calls);
  }
}

TEST(Disassembler, HookTextIsKeptAsWritten) {
  HookLog log;
  log.answer = "Unit.Name";
  EXPECT_EQ(Decode({0xFF, 0x15, 0x78, 0x56, 0x34, 0x12}, HookedDisAsm(log)).text, "call    dword ptr [Unit.Name]");
  EXPECT_EQ(Decode({0xE8, 0xFB, 0x0F, 0x00, 0x00}, HookedDisAsm(log)).text, "call    Unit.Name");
  // Codes of the template notation inside a hook's text are not expanded.
  log.answer = "$00402000  ; '%s #Eb @eax %c ^'";
  EXPECT_EQ(Decode({0x68, 0x00, 0x20, 0x40, 0x00}, HookedDisAsm(log)).text,
            "push    $00402000  ; '%s #Eb @eax %c ^'");
  // Longer than one protected run.
  log.answer = std::string(300, 'x') + "%c";
  EXPECT_EQ(Decode({0xEB, 0x10}, HookedDisAsm(log)).text, "jmp     " + log.answer);
}

// Every opcode of every map, with every ModRM byte: the templates expand
// without an unknown code, and the lengths stay within the bytes given.
TEST(Disassembler, EveryTemplateExpands) {
  const std::vector<std::vector<uint8_t>> prefixes = {{}, {0x0F}, {0x66}, {0x67}, {0x66, 0x0F}};
  for (const auto& prefix : prefixes) {
    for (int opcode = 0; opcode < 256; ++opcode) {
      for (int modrm = 0; modrm < 256; ++modrm) {
        std::vector<uint8_t> bytes = prefix;
        bytes.push_back(uint8_t(opcode));
        bytes.push_back(uint8_t(modrm));
        bytes.resize(bytes.size() + 12, 0x00);
        const Decoded d = Decode(bytes);
        const bool twoByte = !prefix.empty() && prefix.back() == 0x0F;
        const bool segmentRegister = (opcode == 0x8C || opcode == 0x8E) && !twoByte;  // reg 6, 7: none
        if (!(segmentRegister && ((modrm >> 3) & 7) >= 6)) {
          ASSERT_EQ(d.text.find("???"), std::string::npos) << std::hex << opcode << " " << modrm << ": " << d.text;
        }
        ASSERT_GE(d.length, 1u);
        ASSERT_LE(d.length, kMaxInstructionBytes);
      }
    }
  }
}

}  // namespace
