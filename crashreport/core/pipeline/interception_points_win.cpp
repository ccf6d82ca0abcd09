#include "crashreport/core/pipeline/interception_points_win.h"

#include "crashreport/core/pipeline/application_hooks_win.h"
#include "crashreport/core/pipeline/front_door_win.h"
#include "crashreport/core/pipeline/kernel32_hooks_win.h"
#include "crashreport/core/pipeline/os_exceptions_win.h"
#include "crashreport/core/pipeline/raise_notification_win.h"
#include "crashreport/core/pipeline/raise_time_capture_win.h"
#include "crashreport/core/pipeline/terminate_point_win.h"
#include "crashreport/core/pipeline/thread_start_wrapper_win.h"

namespace tarvex {

void InstallInterceptionPoints(TExceptionProcessor& processor, const TFrontDoorState& state) {
  SetInterceptionTarget(&processor, state);
  SetThreadStartWrapper(reinterpret_cast<const void*>(&ThreadStartWrapper));
  InstallUnhandledExceptionFilter();
  InstallTerminatePoint();
  InstallRaiseTimeCapture();
  InstallApplicationHooks();
  InstallKernel32Hooks();
}

void UninstallInterceptionPoints() {
  UninstallKernel32Hooks();
  UninstallApplicationHooks();
  UninstallRaiseTimeCapture();
  UninstallTerminatePoint();
  UninstallUnhandledExceptionFilter();
  SetInterceptionTarget(nullptr, TFrontDoorState{});
}

}  // namespace tarvex
