// Operating system exceptions seen when they are raised: a vectored
// exception handler keeps the raising thread's record, context and a stack
// copy, so that the handling reports from the state at the raise, not from
// wherever the exception was found unhandled.
#pragma once

#include <windows.h>

namespace tarvex {

struct TRaiseTimeCapture {
  EXCEPTION_RECORD Record{};
  CONTEXT Context{};
};

// Keeps `record` and `context` for the calling thread and copies its stack
// (error codes only: severity bits 11; other codes are notifications).
void CaptureAtRaise(const EXCEPTION_RECORD& record, const CONTEXT& context);

// The calling thread's capture of the exception `record` stands for (same
// code and address); nullptr when there is none.
const TRaiseTimeCapture* RaiseTimeCaptureOf(const EXCEPTION_RECORD& record);

// The vectored handler that calls CaptureAtRaise for every exception; it
// never handles one itself.
void InstallRaiseTimeCapture();
void UninstallRaiseTimeCapture();

}  // namespace tarvex
