// The x86 opcode maps as template texts, one row per opcode (docs/disassembler.md).
//
// A template is the mnemonic padded to 8 characters, then the operands
// separated by ", ". Codes inside a template:
//   "#" method type [j|c]  a 4-character operand code, e.g. "#Eb ", "#Gv ", "#Jvc";
//   "@c1" "@c2"            continue in the one-byte / 0F map with the next byte;
//   "@ca".."@ch"           the floating-point escape D8..DF;
//   "@ga".."@gn"           a group chosen by the reg field of the ModRM byte;
//   "@h1".."@h4"           a second-level (operand) group, chosen the same way;
//   "@pe" "@pc" "@ps" "@pd" "@pf" "@pg"  segment override prefixes;
//   "@so" "@sa"            operand-size and address-size prefixes;
//   "@rp" "@rn"            repeat prefixes F3 and F2: "rep " / "repne " before the
//                          line unless the opcode has a form of its own after
//                          that prefix (kPrefixedForms);
//   "@o2" "@o4" "@o8"      size letter of a string or conversion instruction;
//   "@e" + character       "e" + character with a 32-bit operand size ("@eax" is eax or ax);
//   "@m "                  write the memory operand's size even beside a register
//                          (an MMX/XMM register does not fix it);
//   "%c" at the start      the instruction is shown as data, the decoded form as a comment.
#pragma once

namespace tarvex::disasm {

inline constexpr int kGroupCount = 14;         // "@ga".."@gn"
inline constexpr int kOperandGroupCount = 4;   // "@h1".."@h4"

extern const char* const kOneByteMap[256];
extern const char* const kTwoByteMap[256];     // after the 0x0F escape
extern const char* const kGroups[kGroupCount][8];
extern const char* const kOperandGroups[kOperandGroupCount][8];

// One floating-point escape (D8..DF). Memory forms (ModRM below C0) are chosen
// by the reg field. Register forms are written one row per reg field value:
// either one template in which "st(i)" stands for st(0)..st(7) by the r/m
// field, or eight templates separated by "|".
struct FpuEscapeMap {
  const char* memory[8];
  const char* registerRows[8];
};
extern const FpuEscapeMap kFpuEscapeMaps[8];

// An opcode whose meaning changes after a mandatory prefix (F3, F2, or 66 in
// the 0F map), such as F3 90 pause or 66 0F 6F movdqa.
struct PrefixedForm {
  unsigned char prefix;  // 0xF3, 0xF2 or 0x66
  unsigned char map;     // 1: one-byte map, 2: 0F map
  unsigned char opcode;
  const char* text;
};
inline constexpr int kPrefixedFormCount = 142;
extern const PrefixedForm kPrefixedForms[kPrefixedFormCount];

}  // namespace tarvex::disasm
