#include "crashreport/callstack/modules/module_kind.h"

#include "crashreport/callstack/pe/pe_image.h"

namespace tarvex {

TTarvexModuleKind ImageModuleKind(const MemorySpace& memory, uint32_t handle, bool hasPackageResources) {
  constexpr uint16_t kDllCharacteristic = 0x2000;
  const TVXPeImage image(memory, handle);
  if (!image.Valid()) return mkUnknown;
  if (!(image.Characteristics() & kDllCharacteristic)) return mkExecutable;
  return hasPackageResources ? mkPackage : mkLibrary;
}

}  // namespace tarvex
