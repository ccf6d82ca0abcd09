#include "crashreport/pipeline/services/handling_parts_win.h"

#include <windows.h>

#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/services/module_event_exports_win.h"
#include "crashreport/base/util/loaded_modules_win.h"
#include "crashreport/base/util/local_files_win.h"
#include "crashreport/report/screenshot/screenshot_win.h"

namespace tarvex {

namespace {

const TTarvexModuleOptions* OptionsOf(const TTarvexModuleInfo* module) {
  return module != nullptr ? module->Options.get() : nullptr;
}


}  // namespace

const TTarvexEvents* TLoadedModulesOptions::EventExportsAt(uint32_t address) {
  moduleEvents_ = ModuleEventExports(ModuleHandleOf(address), ModuleHandleOf(reinterpret_cast<const void*>(&OptionsOf)));
  return moduleEvents_ ? &*moduleEvents_ : nullptr;
}

const TTarvexModuleOptions* TLoadedModulesOptions::OptionsAt(uint32_t address) {
  return OptionsOf(FindModuleInfo(address));
}

const TTarvexModuleOptions* TLoadedModulesOptions::MainProgramOptions() {
  return OptionsOf(FindModuleInfo(reinterpret_cast<uint32_t>(GetModuleHandleA(nullptr))));
}

void TScreenshotFile::Capture(const TTarvexModuleOptions& options) {
  CaptureScreenshot(options, NoteScreenshotMarks(MainThreadId()));
}

void TScreenshotFile::SaveForSending() {
  const std::string folder = TemporaryFolder();
  if (folder.empty()) return;
  saved_ = folder + "Screenshot.png";
  SaveScreenshot(saved_);
}

void TScreenshotFile::Free() { FreeScreenshot(); }

void TScreenshotFile::DeleteSaved() {
  if (saved_.empty()) return;
  DeleteFileA(saved_.c_str());
  saved_.clear();
}

}  // namespace tarvex
