// The call instructions the stack walk recognises in front of a return
// address, as data checked against the x86 opcode map. Every form but the
// first is opcode FF with ModRM reg field 2 ("call r/m32"); the instruction
// starts `length` bytes before the return address.
#pragma once

#include <cstdint>

namespace tarvex {

inline constexpr uint8_t kCallRel32 = 0xE8;  // E8 disp32: call rel32 (form 1, handled by the walk itself)
inline constexpr uint8_t kMovLoad = 0x8B;    // 8B /r: mov r32, r/m32

struct IndirectCallForm {
  uint8_t length;     // bytes from the FF byte to the return address
  uint8_t mod;        // ModRM mod field
  uint8_t rmAllowed;  // bit n set: ModRM rm field n is accepted
  bool espBase;       // a SIB byte 0x24 ([esp]) follows the ModRM byte
  bool needsLoad;     // a "mov" (8B) must start 2 or 3 bytes before the FF byte, else the slot is rejected
  bool needsPointer;  // the disp32 after ModRM is a pointer that must be readable
};

// In the order the walk tries them; the first form that matches decides.
inline constexpr IndirectCallForm kIndirectCallForms[] = {
    {2, 3, 0xFF, false, false, false},  // 2: FF D0..D7       call reg
    {2, 0, 0xCF, false, false, false},  // 3: FF 10..13,16,17 call [reg]
    {3, 1, 0xEF, false, true, false},   // 4: FF 50..53,55..57 xx call [reg+disp8], after a mov
    {6, 2, 0xEF, false, false, false},  // 5: FF 90..93,95..97 xxxxxxxx call [reg+disp32]
    {3, 0, 0x10, true, false, false},   // 6: FF 14 24        call [esp]
    {4, 1, 0x10, true, false, false},   // 7: FF 54 24 xx     call [esp+disp8]
    {7, 2, 0x10, true, false, false},   // 8: FF 94 24 xxxxxxxx call [esp+disp32]
    {6, 0, 0x20, false, false, true},   // 9: FF 15 xxxxxxxx  call [disp32]
};

// The longest form: the walk reads this many bytes in front of each value.
inline constexpr uint32_t kLongestCall = 7;

}  // namespace tarvex
