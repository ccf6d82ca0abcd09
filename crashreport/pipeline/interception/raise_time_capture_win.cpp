#include "crashreport/pipeline/interception/raise_time_capture_win.h"

#include "crashreport/pipeline/interception/raise_record_win.h"
#include "crashreport/pipeline/threads/stack_copy_win.h"

namespace tarvex {

namespace {

thread_local TRaiseTimeCapture capture;
thread_local bool captured = false;
// Only install and uninstall use it, at start-up and shut-down.
void* vectoredHandler = nullptr;

bool IsError(DWORD code) { return (code >> 30) == 3; }

LONG CALLBACK CaptureHandler(EXCEPTION_POINTERS* pointers) {
  CaptureAtRaise(*pointers->ExceptionRecord, *pointers->ContextRecord);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void CaptureAtRaise(const EXCEPTION_RECORD& record, const CONTEXT& context) {
  if (!IsError(record.ExceptionCode)) return;
  const DWORD lastError = GetLastError();
  capture.Record = record;
  capture.Record.ExceptionRecord = nullptr;  // the chained record is not kept
  capture.Context = context;
  captured = true;
  NoteSystemRaise();
  KeepStackCopy(context.Esp);
  SetLastError(lastError);
}

const TRaiseTimeCapture* RaiseTimeCaptureOf(const EXCEPTION_RECORD& record) {
  if (!captured || capture.Record.ExceptionCode != record.ExceptionCode ||
      capture.Record.ExceptionAddress != record.ExceptionAddress)
    return nullptr;
  return &capture;
}

void InstallRaiseTimeCapture() {
  if (vectoredHandler == nullptr) vectoredHandler = AddVectoredExceptionHandler(1, CaptureHandler);
}

void UninstallRaiseTimeCapture() {
  if (vectoredHandler != nullptr) RemoveVectoredExceptionHandler(vectoredHandler);
  vectoredHandler = nullptr;
}

}  // namespace tarvex
