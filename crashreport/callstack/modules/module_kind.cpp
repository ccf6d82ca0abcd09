#include "crashreport/callstack/modules/module_kind.h"

namespace tarvex {

TTarvexModuleKind ImageModuleKind(const MemorySpace& memory, uint32_t handle, bool hasPackageResources) {
  constexpr uint16_t kDllCharacteristic = 0x2000;
  uint16_t mz = 0, characteristics = 0;
  uint32_t peOffset = 0, pe = 0;
  if (!ReadValue(memory, handle, mz) || mz != 0x5A4D || !ReadValue(memory, handle + 0x3C, peOffset) ||
      !ReadValue(memory, handle + peOffset, pe) || pe != 0x00004550 ||
      !ReadValue(memory, handle + peOffset + 0x16, characteristics))
    return mkUnknown;
  if (!(characteristics & kDllCharacteristic)) return mkExecutable;
  return hasPackageResources ? mkPackage : mkLibrary;
}

}  // namespace tarvex
