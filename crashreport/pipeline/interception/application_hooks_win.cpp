#include "crashreport/pipeline/interception/application_hooks_win.h"

#include <atomic>

#include "crashreport/callstack/hooks/virtual_slot_hooks.h"
#include "crashreport/pipeline/interception/exception_manager_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "gui/application.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

using rtl::gui::Application;
// The members' convention (see Application): `this` in ECX, the argument on the stack.
using ExceptionMember = void(__attribute__((thiscall)) *)(Application*, const std::exception&);

// The patched method table: only InstallApplicationHooks and
// UninstallApplicationHooks use it, at start-up and shut-down.
void* methodTable = nullptr;
// The routines the hooks pass on to: stored at install, before the program's
// message loop runs, and read by the hooks in whichever thread the framework
// calls them. Each is an address of code that exists already, with nothing
// else published through it, so relaxed.
std::atomic<ExceptionMember> previousHandler{nullptr}, previousShow{nullptr};
thread_local bool insideHookedHandler = false;

class InsideHookedHandler {
 public:
  InsideHookedHandler() { insideHookedHandler = true; }
  ~InsideHookedHandler() { insideHookedHandler = false; }
};

// ExceptionManager for an exception the framework caught: its address is the
// raise record's when the thread's last raise threw this very object.
bool ManageFrameworkException(const std::exception& error) {
  const auto* object = dynamic_cast<const rtl::Exception*>(&error);
  const TRaiseRecord& raise = LastRaise();
  const uint32_t address = raise.Thrown == static_cast<const void*>(&error) || (object != nullptr && raise.Object == object)
                               ? raise.Address
                               : 0;
  return ExceptionManager(object, address, okApplication, 0);
}

void __attribute__((thiscall)) HookedHandleException(Application* self, const std::exception& error) {
  InsideHookedHandler inside;
  if (ManageFrameworkException(error)) previousHandler.load(std::memory_order_relaxed)(self, error);
}

void __attribute__((thiscall)) HookedShowException(Application* self, const std::exception& error) {
  if (insideHookedHandler || EventCallPending() || ManageFrameworkException(error))
    previousShow.load(std::memory_order_relaxed)(self, error);
}

}  // namespace

bool InstallApplicationHooks() {
  if (methodTable != nullptr) return true;
  try {
    void* const table = *reinterpret_cast<void**>(&rtl::gui::TheApplication());
    void* const handler =
        PatchVirtualSlot(table, Application::kHandleExceptionSlot, reinterpret_cast<void*>(HookedHandleException));
    previousHandler.store(reinterpret_cast<ExceptionMember>(handler), std::memory_order_relaxed);
    void* const show =
        PatchVirtualSlot(table, Application::kShowExceptionSlot, reinterpret_cast<void*>(HookedShowException));
    previousShow.store(reinterpret_cast<ExceptionMember>(show), std::memory_order_relaxed);
    methodTable = table;
    return true;
  } catch (...) {
    RestoreVirtualSlot(*reinterpret_cast<void**>(&rtl::gui::TheApplication()), Application::kHandleExceptionSlot);
    return false;
  }
}

void UninstallApplicationHooks() {
  if (methodTable == nullptr) return;
  RestoreVirtualSlot(methodTable, Application::kShowExceptionSlot);
  RestoreVirtualSlot(methodTable, Application::kHandleExceptionSlot);
  methodTable = nullptr;
}

}  // namespace tarvex
