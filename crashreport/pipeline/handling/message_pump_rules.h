// What the waiting main thread does with each message while a handling
// runs: the window stays painted, but the user cannot act on it.
#pragma once

#include <cstdint>

namespace tarvex {

// Messages taken from the queue in one round of the waiting loop.
inline constexpr int kPumpBatch = 11;

enum class TPumpAction : uint8_t {
  Drop,          // a quit message: taken out, not passed on
  BeepAndDrop,   // user input: answered with a beep
  Dispatch,      // everything else: translated and dispatched
};

// By message number (the Windows values: WM_QUIT 0x12, non-client mouse
// buttons 0xA1-0xA9, keys and characters 0x100-0x109, client mouse buttons 0x201-0x209
// and 0x20B-0x20D).
TPumpAction PumpActionFor(uint32_t message);

}  // namespace tarvex
