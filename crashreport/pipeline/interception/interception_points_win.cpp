#include "crashreport/pipeline/interception/interception_points_win.h"

#include "crashreport/pipeline/interception/application_hooks_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/interception/kernel32_hooks_win.h"
#include "crashreport/pipeline/interception/os_exceptions_win.h"
#include "crashreport/pipeline/interception/raise_notification_win.h"
#include "crashreport/pipeline/interception/raise_time_capture_win.h"
#include "crashreport/pipeline/interception/terminate_point_win.h"
#include "crashreport/pipeline/interception/thread_start_wrapper_win.h"

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
