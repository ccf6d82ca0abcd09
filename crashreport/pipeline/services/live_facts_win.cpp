#include "crashreport/pipeline/services/live_facts_win.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "crashreport/callstack/modules/file_facts_win.h"
#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/base/embedded_data/container.h"

namespace tarvex {

double LocalDateTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return ToDateTime(now);
}

double ProcessStartTime() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return ToDateTime(created);
}

int LocalZoneHours() {
  TIME_ZONE_INFORMATION zone;
  LONG bias = 0;  // minutes, UTC minus local
  switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_STANDARD: bias = zone.Bias + zone.StandardBias; break;
    case TIME_ZONE_ID_DAYLIGHT: bias = zone.Bias + zone.DaylightBias; break;
    case TIME_ZONE_ID_UNKNOWN: bias = zone.Bias; break;
    default: return 0;
  }
  return static_cast<int>(std::lround(-bias / 60.0));
}

ReportModule ReportModuleOf(const TTarvexModuleInfo& module) {
  return {module.FileName, module.Description, module.Version};
}

double CompileTimeOf(const TTarvexModuleInfo& module) {
  if (module.DebugVersion == 0) return 0;
  std::array<uint8_t, 8> buildInfo;
  std::copy(std::begin(module.DebugHeader), std::end(module.DebugHeader), buildInfo.begin());
  return CompileDateFromBuildInfo(buildInfo);
}

std::optional<CpuRegisters> RegistersOf(const void* context) {
  if (context == nullptr) return std::nullopt;
  const CONTEXT& c = *static_cast<const CONTEXT*>(context);
  return CpuRegisters{uint32_t(c.Eax), uint32_t(c.Ebx), uint32_t(c.Ecx), uint32_t(c.Edx),
                      uint32_t(c.Esi), uint32_t(c.Edi), uint32_t(c.Esp), uint32_t(c.Eip)};
}

void ReadForegroundWindow(std::string& className, std::string& text) {
  const HWND window = GetForegroundWindow();
  if (window == nullptr) return;
  char buffer[256] = {};
  if (GetClassNameA(window, buffer, sizeof buffer) > 0) className = buffer;
  buffer[0] = 0;
  if (GetWindowTextA(window, buffer, sizeof buffer) > 0) text = buffer;
}

bool IsConsoleProgram() {
  const auto* image = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace tarvex
