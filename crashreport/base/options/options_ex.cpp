#include "crashreport/base/options/options_ex.h"

#include <atomic>

#include "crashreport/base/embedded_data/container.h"
#include "rtl/exception.h"
#include "rtl/format.h"

namespace tarvex {
namespace {

// Set at start-up and called by the setters in any thread; a routine address
// on its own, publishing nothing, so relaxed.
std::atomic<FreezeMonitorSwitch> freezeMonitorSwitch{nullptr};

}  // namespace

std::string SharedOptionsName(uint32_t processId, uint32_t moduleHandle) {
  return rtl::Format("%08X%08X", static_cast<unsigned>(processId), static_cast<unsigned>(moduleHandle));
}

void SetFreezeMonitorSwitch(FreezeMonitorSwitch monitorSwitch) {
  freezeMonitorSwitch.store(monitorSwitch, std::memory_order_relaxed);
}

TTarvexModuleOptionsEx::TTarvexModuleOptionsEx(std::string moduleFileName, uint32_t moduleHandle,
                                               SharedBlocks& shared, Role role)
    : TTarvexModuleOptions(std::move(moduleFileName), moduleHandle), shared_(shared), role_(role) {}

void TTarvexModuleOptionsEx::SwitchMonitor() {
  if (const FreezeMonitorSwitch monitorSwitch = freezeMonitorSwitch.load(std::memory_order_relaxed))
    monitorSwitch(Active() && FreezeWatch());
}

void TTarvexModuleOptionsEx::SetActive(bool value) {
  if (!SwitchesTheMonitor()) return TTarvexModuleOptions::SetActive(value);
  if (value == Active()) return;
  StoreActive(value);
  SwitchMonitor();
}

void TTarvexModuleOptionsEx::SetFreezeWatch(bool value) {
  if (!SwitchesTheMonitor()) return TTarvexModuleOptions::SetFreezeWatch(value);
  if (value == FreezeWatch()) return;
  StoreFreezeWatch(value);
  SwitchMonitor();
}

void TTarvexModuleOptionsEx::NotifyChanged() {
  rtl::ByteWriter out;
  out.WriteU8(1);
  WriteToStream(out);
  shared_.Publish(SharedOptionsName(shared_.ProcessId(), ModuleHandle()), out.Bytes());
}

bool TTarvexModuleOptionsEx::ReloadShared() {
  const auto data = shared_.Read(SharedOptionsName(shared_.ProcessId(), ModuleHandle()));
  if (!data || data->empty() || (*data)[0] == 0) return false;
  rtl::ByteReader in(std::span<const uint8_t>(*data).subspan(1));
  try {
    ReadFromStream(in, kTarvexDataVersion);
  } catch (const rtl::EReadError&) {
    // A cut block leaves what it held; the rest keeps its values.
  }
  return true;
}

}  // namespace tarvex
