// The options class of the running program: publishes its changes to named
// shared memory, so that the other modules of the process can read them
// back, and switches the freeze monitor with Active and FreezeWatch.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "crashreport/base/options/options.h"

namespace tarvex {

// Named memory blocks shared by the modules of one process.
class SharedBlocks {
 public:
  virtual ~SharedBlocks() = default;
  virtual uint32_t ProcessId() const = 0;
  // Replaces block `name` by one that holds the 4-byte size of `data` and
  // `data`; false when the block cannot be made.
  virtual bool Publish(const std::string& name, std::span<const uint8_t> data) = 0;
  // The data of block `name` (after its size), or nothing when there is no such block.
  virtual std::optional<std::vector<uint8_t>> Read(const std::string& name) const = 0;
  // Gives up block `name` if this process published it; the name is free again
  // once no other handle holds the block open.
  virtual void Remove(const std::string& name) = 0;
};

// The named shared memory of this process (Windows: shared_blocks_win.cpp).
SharedBlocks& ProcessSharedBlocks();

// The block of a module's options: process id and module handle, each as 8
// upper-case hexadecimal digits.
std::string SharedOptionsName(uint32_t processId, uint32_t moduleHandle);

// Started or stopped with the current options' Active and FreezeWatch (set by the freeze monitor).
using FreezeMonitorSwitch = void (*)(bool run);
void SetFreezeMonitorSwitch(FreezeMonitorSwitch monitorSwitch);

class TTarvexModuleOptionsEx : public TTarvexModuleOptions {
 public:
  enum class Role { Module, Current };  // Current: the process-wide current options

  TTarvexModuleOptionsEx(std::string moduleFileName, uint32_t moduleHandle, SharedBlocks& shared,
                         Role role = Role::Module);

  void SetActive(bool value) override;
  void SetFreezeWatch(bool value) override;
  // Publishes a flag byte 1 and the option stream.
  void NotifyChanged() override;
  // Reads the options back from the module's block when it exists and its flag is set.
  bool ReloadShared() override;

 private:
  bool SwitchesTheMonitor() const { return role_ == Role::Current && BelongsToRunningModule(); }
  void SwitchMonitor();

  SharedBlocks& shared_;
  Role role_;
};

}  // namespace tarvex
