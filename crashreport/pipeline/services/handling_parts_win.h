// The Windows parts of the handling that exist in this library: the options
// of the loaded modules and the screenshot.
#pragma once

#include <optional>
#include <string>

#include "crashreport/pipeline/handling/handling_parts.h"

namespace tarvex {

// The options each loaded module carries in its embedded data, and its event exports.
class TLoadedModulesOptions : public TModuleOptionsSource {
 public:
  const TTarvexEvents* EventExportsAt(uint32_t address) override;
  const TTarvexModuleOptions* OptionsAt(uint32_t address) override;
  const TTarvexModuleOptions* MainProgramOptions() override;

 private:
  std::optional<TTarvexEvents> moduleEvents_;
};

// The screen of the program's windows, saved as "Screenshot.png" in the
// temporary folder for delivery.
class TScreenshotFile : public TScreenshotTaker {
 public:
  void Capture(const TTarvexModuleOptions& options) override;
  void SaveForSending() override;
  void Free() override;
  void DeleteSaved() override;

 private:
  std::string saved_;
};

}  // namespace tarvex
