// libFuzzer target: arbitrary bytes never crash the disassembler, never make
// it read past the bytes it was given (the sanitizers watch every read), and
// every instruction it reports fits the bytes that remain.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "crashreport/callstack/disasm/disassembler.h"

namespace {

using namespace tarvex;

// Hooks that write texts full of template codes, which must come out as written.
void Rename(void*, uint32_t, uint32_t, std::string& text) { text = "#Ev @eax %s4 ^\x05 %c"; }
void Annotate(void*, uint32_t, uint32_t, std::string& text) { text += "  ; '%s'"; }
void AnnotateImmediate(void*, uint32_t, uint32_t, std::string& text, int) { text += std::string(300, '^'); }

void Check(bool condition) {
  if (!condition) std::abort();
}

void Walk(const TDisAsm& disasm, const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so that any read beyond them is caught.
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
  std::copy(data, data + size, bytes.get());
  std::string text;
  for (size_t at = 0; at < size;) {
    uint32_t length = 0;
    Disassemble(disasm, std::span<const uint8_t>(bytes.get() + at, size - at), 0xFFFFFFF0u + uint32_t(at), length,
                text);
    Check(length >= 1 && length <= kMaxInstructionBytes && length <= size - at && !text.empty());
    at += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Walk(TDisAsm(), data, size);
  TDisAsm hooked;
  hooked.jumpTargetHook = Rename;
  hooked.callTargetHook = Rename;
  hooked.displacementHook = Annotate;
  hooked.directOffsetHook = Annotate;
  hooked.immediateHook = AnnotateImmediate;
  Walk(hooked, data, size);

  // Through a memory space whose readable block ends where the data does.
  if (size > 0) {
    BufferMemorySpace memory;
    memory.Map(0x10000, std::vector<uint8_t>(data, data + size));
    TDisAsm fromMemory(&memory);
    uint32_t length = 0;
    std::string text;
    for (uint32_t at = 0x10000; at < 0x10000 + size; at += length) {
      Disassemble(fromMemory, at, length, text);
      Check(length >= 1 && length <= 0x10000 + size - at);
    }
  }
  return 0;
}
