#include "crashreport/callstack/disasm/follow_thunk.h"

#include "crashreport/base/util/little_endian.h"

namespace tarvex {

uint32_t FollowThunk(const MemorySpace& memory, uint32_t target) {
  uint8_t code[8];
  if (!ReadMemory(memory, target, code, sizeof code) || code[0] != 0xFF || code[1] != 0x25) return target;
  const uint32_t pointer = LittleEndian32(&code[2]);
  uint32_t destination;
  return ReadValue(memory, pointer, destination) ? destination : target;
}

}  // namespace tarvex
