#include "crashreport/callstack/disasm/instruction_length.h"

#include <algorithm>
#include <array>

namespace tarvex {

namespace {

// Length classes: what follows an opcode byte.
//   0..6  that many bytes (immediates, displacements, relative targets)
//   V4    an immediate of operand size: 4 bytes, 2 after a 0x66 prefix (class 11)
//   V6    a far pointer: 6 bytes, 4 after a 0x66 prefix (class 13)
//   M     a ModRM byte (with SIB, displacement and the immediates listed in
//         ImmediateAfterModRM below) (class 14)
//   X     invalid in 32-bit mode (class 15)
//   P     a prefix or escape byte, decoded before the table is consulted
// Classes 7..13 mean "class - 7 bytes, 2 fewer after 0x66"; only 11 and 13 occur.
constexpr uint8_t V4 = 11, V6 = 13, M = 14, X = 15, P = 0;

// The one-byte opcode map, one row per high nibble.
constexpr uint8_t kOneByteMap[256] = {
    //       x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    /* 0x */ M,  M,  M,  M,  1,  V4, 0,  0,  M,  M,  M,  M,  1,  V4, 0,  P,   // add, push/pop es, or, push cs, 0F escape
    /* 1x */ M,  M,  M,  M,  1,  V4, 0,  0,  M,  M,  M,  M,  1,  V4, 0,  0,   // adc, push/pop ss, sbb, push/pop ds
    /* 2x */ M,  M,  M,  M,  1,  V4, P,  0,  M,  M,  M,  M,  1,  V4, P,  0,   // and, es:, daa, sub, cs:, das
    /* 3x */ M,  M,  M,  M,  1,  V4, P,  0,  M,  M,  M,  M,  1,  V4, P,  0,   // xor, ss:, aaa, cmp, ds:, aas
    /* 4x */ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // inc r32, dec r32
    /* 5x */ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   // push r32, pop r32
    /* 6x */ 0,  0,  M,  M,  P,  P,  P,  P,  V4, M,  1,  M,  0,  0,  0,  0,   // pusha, popa, bound, arpl, fs: gs: 66 67, push Iz, imul Iz, push Ib, imul Ib, ins, outs
    /* 7x */ 1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,   // jcc rel8
    /* 8x */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // group 1, test, xchg, mov, lea, pop Ev
    /* 9x */ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  V6, 0,  0,  0,  0,  0,   // nop/xchg eax, cwde, cdq, call far Ap, wait, pushf, popf, sahf, lahf
    /* Ax */ 4,  4,  4,  4,  0,  0,  0,  0,  1,  V4, 0,  0,  0,  0,  0,  0,   // mov moffs, movs, cmps, test al/eax, stos, lods, scas
    /* Bx */ 1,  1,  1,  1,  1,  1,  1,  1,  V4, V4, V4, V4, V4, V4, V4, V4,  // mov r8, Ib; mov r32, Iz
    /* Cx */ M,  M,  2,  0,  M,  M,  M,  M,  3,  0,  2,  0,  0,  1,  0,  0,   // shift Ib, ret Iw, ret, les, lds, mov Ib/Iz, enter, leave, retf Iw, retf, int3, int Ib, into, iret
    /* Dx */ M,  M,  M,  M,  1,  1,  0,  0,  M,  M,  M,  M,  M,  M,  M,  M,   // shift 1/cl, aam, aad, salc, xlat, x87 escapes
    /* Ex */ 1,  1,  1,  1,  1,  1,  1,  1,  V4, V4, V6, 1,  0,  0,  0,  0,   // loopne, loope, loop, jecxz, in/out Ib, call, jmp, jmp far, jmp rel8, in/out dx
    /* Fx */ P,  0,  P,  P,  0,  0,  M,  M,  0,  0,  0,  0,  0,  0,  M,  M,   // lock, int1, repne, rep, hlt, cmc, group 3, clc..std, group 4, group 5
};

// The two-byte opcode map (after 0x0F), one row per high nibble.
constexpr uint8_t kTwoByteMap[256] = {
    //       x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    /* 0x */ M,  M,  M,  M,  X,  0,  0,  0,  0,  0,  X,  0,  X,  M,  0,  M,   // group 6/7, lar, lsl, syscall, clts, sysret, invd, wbinvd, ud2, prefetch, femms, 3DNow!
    /* 1x */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // SSE moves, prefetch hints, nop Ev
    /* 2x */ M,  M,  M,  M,  X,  X,  X,  X,  M,  M,  M,  M,  M,  M,  M,  M,   // mov cr/dr, SSE moves, conversions, compares
    /* 3x */ 0,  0,  0,  0,  0,  0,  X,  0,  P,  X,  P,  X,  X,  X,  X,  X,   // wrmsr, rdtsc, rdmsr, rdpmc, sysenter, sysexit, getsec, 38/3A escapes
    /* 4x */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // cmovcc
    /* 5x */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // SSE arithmetic
    /* 6x */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // MMX/SSE unpack, pack, compare, movd, movq
    /* 7x */ M,  M,  M,  M,  M,  M,  M,  0,  M,  M,  X,  X,  M,  M,  M,  M,   // pshuf Ib, shift groups Ib, pcmpeq, emms, vmread, vmwrite, hadd, hsub, movd, movq
    /* 8x */ V4, V4, V4, V4, V4, V4, V4, V4, V4, V4, V4, V4, V4, V4, V4, V4,  // jcc rel32
    /* 9x */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // setcc
    /* Ax */ 0,  0,  0,  M,  M,  M,  X,  X,  0,  0,  0,  M,  M,  M,  M,  M,   // push/pop fs, cpuid, bt, shld, push/pop gs, rsm, bts, shrd, group 15, imul
    /* Bx */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // cmpxchg, lss, btr, lfs, lgs, movzx, popcnt, ud1, group 8, btc, bsf, bsr, movsx
    /* Cx */ M,  M,  M,  M,  M,  M,  M,  M,  0,  0,  0,  0,  0,  0,  0,  0,   // xadd, cmpps Ib, movnti, pinsrw, pextrw, shufps, group 9, bswap
    /* Dx */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // MMX/SSE
    /* Ex */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // MMX/SSE
    /* Fx */ M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,  M,   // MMX/SSE, ud0
};

// One 256-byte table: the low nibble is the one-byte map's class, the high
// nibble the class of the same opcode after 0x0F.
constexpr std::array<uint8_t, 256> PackClasses() {
  std::array<uint8_t, 256> packed{};
  for (int i = 0; i < 256; ++i) packed[i] = uint8_t(kTwoByteMap[i] << 4 | kOneByteMap[i]);
  return packed;
}
constexpr std::array<uint8_t, 256> kLengthClasses = PackClasses();

constexpr bool IsPrefix(uint8_t b) {
  switch (b) {
    case 0x26: case 0x2E: case 0x36: case 0x3E: case 0x64: case 0x65:
    case 0x66: case 0x67: case 0xF0: case 0xF2: case 0xF3:
      return true;
    default:
      return false;
  }
}

enum class OpcodeMap { kOneByte, kTwoByte, k0F38, k0F3A };

// Immediate bytes after the ModRM operand.
int ImmediateAfterModRM(OpcodeMap map, uint8_t opcode, uint8_t reg, bool operandSize16) {
  const int operandSize = operandSize16 ? 2 : 4;
  switch (map) {
    case OpcodeMap::kOneByte:
      switch (opcode) {
        case 0x6B: case 0x80: case 0x82: case 0x83: case 0xC0: case 0xC1: case 0xC6:
          return 1;
        case 0x69: case 0x81: case 0xC7:
          return operandSize;
        case 0xF6:  // test Eb, Ib (/0, and its alias /1); the other members take none
          return reg <= 1 ? 1 : 0;
        case 0xF7:
          return reg <= 1 ? operandSize : 0;
        default:
          return 0;
      }
    case OpcodeMap::kTwoByte:
      switch (opcode) {
        case 0x0F:  // 3DNow!: the operation byte comes after the operands
        case 0x70: case 0x71: case 0x72: case 0x73: case 0xA4: case 0xAC: case 0xBA:
        case 0xC2: case 0xC4: case 0xC5: case 0xC6:
          return 1;
        default:
          return 0;
      }
    case OpcodeMap::k0F38:
      return 0;
    case OpcodeMap::k0F3A:
      return 1;
  }
  return 0;
}

}  // namespace

DecodeStatus DecodeInstruction(const uint8_t* code, size_t size, InstructionShape& shape) {
  shape = {};
  const size_t available = std::min(size, size_t(kMaxInstructionLength));
  // Running out of bytes is the end of the readable code, unless a whole
  // 15 bytes were there: then the instruction is too long to be valid.
  const DecodeStatus outOfBytes =
      size >= kMaxInstructionLength ? DecodeStatus::kInvalid : DecodeStatus::kTruncated;

  size_t at = 0;
  bool addressSize16 = false;
  while (at < available && IsPrefix(code[at])) {
    shape.operandSize16 |= code[at] == 0x66;
    addressSize16 |= code[at] == 0x67;
    ++at;
  }
  if (at == available) return outOfBytes;
  shape.prefixCount = uint8_t(at);

  OpcodeMap map = OpcodeMap::kOneByte;
  uint8_t opcode = code[at++];
  if (opcode == 0x0F) {
    if (at == available) return outOfBytes;
    map = OpcodeMap::kTwoByte;
    opcode = code[at++];
    if (opcode == 0x38 || opcode == 0x3A) {
      if (at == available) return outOfBytes;
      map = opcode == 0x38 ? OpcodeMap::k0F38 : OpcodeMap::k0F3A;
      opcode = code[at++];
    }
  }
  shape.opcode = opcode;
  shape.opcodeLength = uint8_t(at - shape.prefixCount);

  uint8_t lengthClass = M;  // the three-byte maps all take a ModRM byte
  if (map == OpcodeMap::kOneByte) lengthClass = kLengthClasses[opcode] & 0x0F;
  if (map == OpcodeMap::kTwoByte) lengthClass = kLengthClasses[opcode] >> 4;

  size_t length = at;
  if (lengthClass == X) {
    return DecodeStatus::kInvalid;
  } else if (lengthClass < 7) {
    // mov al/eax <-> moffs: the offset has the address size.
    const bool moffs = map == OpcodeMap::kOneByte && opcode >= 0xA0 && opcode <= 0xA3;
    length += moffs && addressSize16 ? 2 : lengthClass;
  } else if (lengthClass < M) {
    length += lengthClass - 7 - (shape.operandSize16 ? 2 : 0);
  } else {
    if (at == available) return outOfBytes;
    const uint8_t modrm = code[at];
    const uint8_t reg = (modrm >> 3) & 7, rm = modrm & 7;
    // mov to and from control and debug registers ignores the mod field: the
    // operand is always a register.
    const bool registerOnly = map == OpcodeMap::kTwoByte && opcode >= 0x20 && opcode <= 0x23;
    const uint8_t mod = registerOnly ? 3 : modrm >> 6;
    length += 1;
    if (addressSize16) {
      if (mod == 0 && rm == 6) length += 2;
      if (mod == 1) length += 1;
      if (mod == 2) length += 2;
    } else if (mod != 3) {
      const bool sib = rm == 4;
      if (sib) {
        if (at + 1 == available) return outOfBytes;
        length += 1;
      }
      if (mod == 0 && sib && (code[at + 1] & 7) == 5) length += 4;
      if (mod == 0 && rm == 5) length += 4;
      if (mod == 1) length += 1;
      if (mod == 2) length += 4;
    }
    length += ImmediateAfterModRM(map, opcode, reg, shape.operandSize16);
  }
  if (length > available) return outOfBytes;
  shape.length = uint8_t(length);
  return DecodeStatus::kValid;
}

DecodeStatus DecodeInstruction(const MemorySpace& memory, uint32_t address, InstructionShape& shape) {
  // Readable bytes region by region, so that code just before unreadable
  // memory still decodes when the instruction ends in time.
  uint32_t readable = 0;
  while (readable < kMaxInstructionLength && uint64_t(address) + readable <= 0xFFFFFFFFu) {
    const uint32_t more = ReadableBytes(memory, address + readable, 1);
    if (more == 0) break;
    readable += std::min<uint32_t>(more, kMaxInstructionLength - readable);
  }
  uint8_t code[kMaxInstructionLength];
  if (!ReadMemory(memory, address, code, readable)) {
    shape = {};
    return DecodeStatus::kTruncated;
  }
  return DecodeInstruction(code, readable, shape);
}

bool InstructionLength(const MemorySpace& memory, uint32_t address, uint8_t& length) {
  InstructionShape shape;
  if (DecodeInstruction(memory, address, shape) != DecodeStatus::kValid) return false;
  length = shape.length;
  return true;
}

uint32_t FunctionSize(const MemorySpace& memory, uint32_t address, uint32_t limit) {
  uint32_t offset = 0;
  while (offset < limit) {
    InstructionShape shape;
    const DecodeStatus status = DecodeInstruction(memory, address + offset, shape);
    if (status == DecodeStatus::kTruncated) return 1;
    if (status == DecodeStatus::kInvalid) {
      offset += 1;
      continue;
    }
    offset += shape.length;
    const bool isReturn = shape.opcodeLength == 1 && (shape.opcode == 0xC2 || shape.opcode == 0xC3 ||
                                                      shape.opcode == 0xCA || shape.opcode == 0xCB);
    if (isReturn) return offset <= limit ? offset : 1;
  }
  return 1;
}

}  // namespace tarvex
